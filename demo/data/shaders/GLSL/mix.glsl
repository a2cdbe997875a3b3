// Puts the deferred frame together: the scene colour (unit 0) darkened by the
// ambient occlusion (unit 2), lit by the global light and by the point lights
// (unit 1). The global light needs the surface's facing, which the frame
// keeps nowhere else: it is rebuilt from the depth (unit 3). It draws into
// the scene colour target, so it reads that target only at each fragment's
// own texel. The quad carries the texel size.
#version 120
attribute vec4 va_texcoord0;
varying vec2 v_uv;
varying vec2 v_texel;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
    v_texel = va_texcoord0.zw;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform sampler2D Tex1;
uniform sampler2D Tex2;
uniform sampler2D Tex3;
uniform float aspect = 1.0;
uniform vec3 l_direction;
uniform vec3 l_diffuse;
uniform vec3 l_specular;
uniform vec3 l_ambient = vec3(1.0);
uniform float l_power = 1.0;
uniform vec3 l_point = vec3(1.0);
varying vec2 v_uv;
varying vec2 v_texel;

// The view-space point behind the texel, from the depth and the projection.
vec3 ViewPosition(vec2 uv)
{
    float depth = texture2D(Tex3, uv).r * 2.0 - 1.0;
    float z = gl_ProjectionMatrix[3][2] / (-depth - gl_ProjectionMatrix[2][2]);
    vec2 ndc = uv * 2.0 - 1.0;
    return vec3(-ndc.x * z / gl_ProjectionMatrix[0][0], -ndc.y * z / gl_ProjectionMatrix[1][1], z);
}

// How the surface runs along one screen axis: the step to the neighbour on
// the pixel's own surface. Of the two sides, that is the one where the next
// step on bends least: across an outline the depth jumps, across a corner
// of two faces the slope turns, and on the pixel's own face it runs on. So
// the pixels on both sides of an outline or a corner keep their own face's
// facing. (Screen-space derivatives would mix two surfaces in every 2 x 2
// block that straddles an outline, lighting a one-pixel seam as facing the
// eye.) `jump` is the smaller depth step, for slivers.
vec3 Along(vec3 here, vec2 step, out float jump)
{
    vec3 previous = ViewPosition(v_uv - step);
    vec3 next = ViewPosition(v_uv + step);
    vec3 before = here - previous;
    vec3 after = next - here;
    float bendBefore = abs(before.z - (previous.z - ViewPosition(v_uv - 2.0 * step).z));
    float bendAfter = abs(after.z - (ViewPosition(v_uv + 2.0 * step).z - next.z));
    jump = min(abs(before.z), abs(after.z));
    return bendBefore < bendAfter ? before : after;
}

// A sliver one pixel wide has no neighbour on its own surface along an axis:
// it is taken to face the eye.
vec3 GlobalLight(vec3 position)
{
    float jumpX, jumpY;
    vec3 dx = Along(position, vec2(v_texel.x, 0.0), jumpX);
    vec3 dy = Along(position, vec2(0.0, v_texel.y), jumpY);
    vec3 toEye = normalize(-position);
    bool sliver = max(jumpX, jumpY) > 0.05 * abs(position.z);
    vec3 n = sliver ? toEye : normalize(cross(dx, dy));
    if (dot(n, toEye) < 0.0)
        n = -n;
    vec3 toLight = -normalize(l_direction + vec3(0.0, 0.0, 1e-6));
    float diffuse = max(dot(n, toLight), 0.0);
    float specular = pow(max(dot(reflect(-toLight, n), toEye), 0.0), max(l_power, 1.0));
    return l_diffuse * diffuse + l_specular * specular;
}

void main()
{
    vec4 scene = texture2D(Tex0, v_uv);
    vec3 lights = texture2D(Tex1, v_uv).rgb * l_point;
    float occlusion = texture2D(Tex2, v_uv).r;
    // Where nothing was drawn, the sky shows the whole light that fills it.
    float depth = texture2D(Tex3, v_uv).r;
    vec3 surface = l_ambient + GlobalLight(ViewPosition(v_uv)) + lights;
    vec3 light = depth >= 1.0 ? l_ambient + l_diffuse : surface;
    // A faint vignette, round on any screen shape.
    vec2 fromCentre = (v_uv - 0.5) * vec2(aspect, 1.0);
    float vignette = 1.0 - 0.15 * dot(fromCentre, fromCentre);
    vec3 colour = scene.rgb * occlusion * vignette * light;
    gl_FragColor = vec4(colour, scene.a);
}

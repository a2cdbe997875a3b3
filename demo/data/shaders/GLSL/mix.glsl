// Puts the deferred frame together: the scene colour (unit 0) darkened by the
// ambient occlusion (unit 2), lit by the global light and by the point lights
// (unit 1). The global light needs the surface's facing, which the frame
// keeps nowhere else: it is rebuilt from the depth (unit 3) around each
// pixel. It draws into the scene colour target, so it reads that target only
// at each fragment's own texel.
#version 120
attribute vec4 va_texcoord0;
varying vec2 v_uv;
varying vec4 v_size;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
    v_size = va_texcoord0;
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
varying vec4 v_size;

// The view-space point behind the texel, from the depth and the projection.
vec3 ViewPosition(vec2 uv)
{
    float depth = texture2D(Tex3, uv).r * 2.0 - 1.0;
    float z = gl_ProjectionMatrix[3][2] / (-depth - gl_ProjectionMatrix[2][2]);
    vec2 ndc = uv * 2.0 - 1.0;
    return vec3(-ndc.x * z / gl_ProjectionMatrix[0][0], -ndc.y * z / gl_ProjectionMatrix[1][1], z);
}

// The shorter of the steps to either neighbour: beside an edge, the one on
// the pixel's own surface.
vec3 Tangent(vec3 here, vec2 step)
{
    vec3 before = here - ViewPosition(v_uv - step);
    vec3 after = ViewPosition(v_uv + step) - here;
    return abs(before.z) < abs(after.z) ? before : after;
}

vec3 GlobalLight(vec3 position)
{
    vec3 n = normalize(cross(Tangent(position, vec2(v_size.z, 0.0)), Tangent(position, vec2(0.0, v_size.w))));
    vec3 toEye = normalize(-position);
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
    bool sky = texture2D(Tex3, v_uv).r >= 1.0;
    vec3 light = sky ? l_ambient + l_diffuse : l_ambient + GlobalLight(ViewPosition(v_uv)) + lights;
    // A faint vignette, round on any screen shape.
    vec2 fromCentre = (v_uv - 0.5) * vec2(aspect, 1.0);
    float vignette = 1.0 - 0.15 * dot(fromCentre, fromCentre);
    vec3 colour = scene.rgb * occlusion * vignette * light;
    gl_FragColor = vec4(colour, scene.a);
}

// Puts the deferred frame together: the scene colour (unit 0) darkened by the
// ambient occlusion (unit 2), lit by the global light and by the point lights
// (unit 1). The global light needs the surface's facing, which the frame
// keeps nowhere else: it is rebuilt from the depth (unit 3). It draws into the scene colour target, so it reads that target only
// at each fragment's own texel.
#version 120
varying vec2 v_uv;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
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

// The view-space point behind the texel, from the depth and the projection.
vec3 ViewPosition(float depthTexel, vec2 uv)
{
    float depth = depthTexel * 2.0 - 1.0;
    float z = gl_ProjectionMatrix[3][2] / (-depth - gl_ProjectionMatrix[2][2]);
    vec2 ndc = uv * 2.0 - 1.0;
    return vec3(-ndc.x * z / gl_ProjectionMatrix[0][0], -ndc.y * z / gl_ProjectionMatrix[1][1], z);
}

// The surface's facing from how the point moves between neighbouring
// pixels: no further depth reads. Where the depth jumps (an object's outline
// against what is behind it) the neighbours lie on two surfaces, and the
// pixel is taken to face the eye.
vec3 GlobalLight(vec3 position)
{
    vec3 dx = dFdx(position);
    vec3 dy = dFdy(position);
    vec3 toEye = normalize(-position);
    bool outline = max(abs(dx.z), abs(dy.z)) > 0.05 * abs(position.z);
    vec3 n = outline ? toEye : normalize(cross(dx, dy));
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
    vec3 surface = l_ambient + GlobalLight(ViewPosition(depth, v_uv)) + lights;
    vec3 light = depth >= 1.0 ? l_ambient + l_diffuse : surface;
    // A faint vignette, round on any screen shape.
    vec2 fromCentre = (v_uv - 0.5) * vec2(aspect, 1.0);
    float vignette = 1.0 - 0.15 * dot(fromCentre, fromCentre);
    vec3 colour = scene.rgb * occlusion * vignette * light;
    gl_FragColor = vec4(colour, scene.a);
}

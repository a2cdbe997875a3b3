// Point-light volumes: each light is a screen square around its view-space
// centre. Per vertex: the projected corner, the centre, the colour (first
// vector), a specular colour (second vector) and (radius, intensity).
// The scene colour is on unit 0 and the depth on unit 1.
#version 120
attribute vec3 va_texcoord0;
attribute vec4 va_texcoord1;
attribute vec4 va_texcoord2;
attribute vec2 va_texcoord3;
varying vec2 v_uv;
varying vec3 v_centre;
varying vec3 v_colour;
varying vec3 v_specular;
varying vec2 v_light;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
    v_centre = va_texcoord0;
    v_colour = va_texcoord1.rgb;
    v_specular = va_texcoord2.rgb;
    v_light = va_texcoord3;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform sampler2D Tex1;
varying vec2 v_uv;
varying vec3 v_centre;
varying vec3 v_colour;
varying vec3 v_specular;
varying vec2 v_light;

// The view-space point behind this pixel, from the depth and the projection.
vec3 ViewPosition(vec2 uv)
{
    float depth = texture2D(Tex1, uv).r * 2.0 - 1.0;
    float z = gl_ProjectionMatrix[3][2] / (-depth - gl_ProjectionMatrix[2][2]);
    vec2 ndc = uv * 2.0 - 1.0;
    return vec3(-ndc.x * z / gl_ProjectionMatrix[0][0], -ndc.y * z / gl_ProjectionMatrix[1][1], z);
}

void main()
{
    vec3 position = ViewPosition(v_uv);
    vec3 toLight = v_centre - position;
    float radius = max(v_light.x, 1e-3);
    float falloff = clamp(1.0 - length(toLight) / radius, 0.0, 1.0);
    vec3 scene = texture2D(Tex0, v_uv).rgb;
    vec3 light = (v_colour + v_specular * falloff) * falloff * falloff * v_light.y;
    gl_FragColor = vec4(light * (0.5 + 0.5 * scene), 1.0);
}

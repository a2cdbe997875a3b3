// Screen-space ambient occlusion from the depth target on unit 0, turned per
// pixel by the 4 x 4 random texture on unit 1. The quad carries
// (width, height, 1 / width, 1 / height) and (blur scale, depth scale, 0, 0).
#version 120
attribute vec4 va_texcoord0;
attribute vec4 va_texcoord1;
varying vec2 v_uv;
varying vec4 v_size;
varying vec4 v_params;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
    v_size = va_texcoord0;
    v_params = va_texcoord1;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform sampler2D Tex1;
varying vec2 v_uv;
varying vec4 v_size;
varying vec4 v_params;

void main()
{
    float depth = texture2D(Tex0, v_uv).r;
    float angle = texture2D(Tex1, gl_FragCoord.xy / 4.0).r * 6.2831853;
    vec2 turn = vec2(cos(angle), sin(angle));
    float occlusion = 0.0;
    for (int i = 0; i < 8; ++i)
    {
        float a = float(i) * 0.7853982;
        vec2 direction = vec2(cos(a) * turn.x - sin(a) * turn.y, sin(a) * turn.x + cos(a) * turn.y);
        vec2 offset = direction * v_size.zw * (4.0 + float(i) * 2.0);
        float difference = (depth - texture2D(Tex0, v_uv + offset).r) * v_params.y;
        occlusion += clamp(difference, 0.0, 1.0) * (1.0 - clamp(difference - 1.0, 0.0, 1.0));
    }
    gl_FragColor = vec4(vec3(1.0 - occlusion / 8.0), 1.0);
}

// One direction of the separable blur of the ambient occlusion; the quad
// carries the texel size and the blur scale.
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
varying vec2 v_uv;
varying vec4 v_size;
varying vec4 v_params;

void main()
{
    vec2 step = vec2(v_size.z, 0.0) * max(v_params.x / 4.0, 1.0);
    vec4 sum = texture2D(Tex0, v_uv) * 0.2270270;
    sum += (texture2D(Tex0, v_uv + step) + texture2D(Tex0, v_uv - step)) * 0.1945946;
    sum += (texture2D(Tex0, v_uv + 2.0 * step) + texture2D(Tex0, v_uv - 2.0 * step)) * 0.1216216;
    sum += (texture2D(Tex0, v_uv + 3.0 * step) + texture2D(Tex0, v_uv - 3.0 * step)) * 0.0540541;
    sum += (texture2D(Tex0, v_uv + 4.0 * step) + texture2D(Tex0, v_uv - 4.0 * step)) * 0.0162162;
    gl_FragColor = sum;
}

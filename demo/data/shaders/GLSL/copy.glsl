// Copies the scene colour target (unit 0) to the window, texel for pixel.
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
varying vec2 v_uv;

void main()
{
    gl_FragColor = vec4(texture2D(Tex0, v_uv).rgb, 1.0);
}

// Shows one render target (unit 0) over the screen as it is, alpha included,
// for looking at the deferred frame's pieces.
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
    gl_FragColor = texture2D(Tex0, v_uv);
}

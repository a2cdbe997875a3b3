// Effects without vertex array objects: the fixed-function arrays.
#version 120
varying vec4 v_colour;
varying vec2 v_uv;

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    v_colour = gl_Color;
    v_uv = gl_MultiTexCoord0.xy;
}
//!!FS
#version 120
uniform sampler2D Tex0;
varying vec4 v_colour;
varying vec2 v_uv;

void main()
{
    gl_FragColor = texture2D(Tex0, v_uv) * v_colour;
}

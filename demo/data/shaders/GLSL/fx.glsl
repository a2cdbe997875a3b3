// Effects: textured, coloured particles, billboards and ribbons.
#version 120
attribute vec4 va_color;
attribute vec2 va_texcoord0;
varying vec4 v_colour;
varying vec2 v_uv;

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    v_colour = va_color;
    v_uv = va_texcoord0;
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

// 2D drawing without vertex array objects: the fixed-function arrays.
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
uniform sampler2D Tex1;
uniform int ReverseHorizontal;
uniform int ReverseVertical;
uniform vec3 TextureOffset;
varying vec4 v_colour;
varying vec2 v_uv;

// The image slides by the offset while the mask on unit 1 stays: what slides
// past the edge is cut, so a meter shows only its filled part. An unbound
// unit 1 samples opaque, so the mask is optional.
void main()
{
    vec2 uv = v_uv;
    if (ReverseHorizontal != 0)
        uv.x = 1.0 - uv.x;
    if (ReverseVertical != 0)
        uv.y = 1.0 - uv.y;
    vec2 shifted = uv + TextureOffset.xy;
    vec2 inside = step(vec2(0.0), shifted) * step(shifted, vec2(1.0));
    vec4 colour = texture2D(Tex0, shifted) * v_colour;
    colour.a *= texture2D(Tex1, v_uv).a * inside.x * inside.y;
    gl_FragColor = colour;
}

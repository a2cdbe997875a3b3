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

// TextureOffset.xy is where a meter's bar is cut. An unflipped axis keeps
// what lies from the cut to its far edge, a flipped axis what lies from its
// near edge to the cut, so a meter fills from either edge of its axis; a cut
// of 0 keeps an unflipped axis whole. The image itself does not move. An
// unbound unit 1 samples opaque, so the mask is optional.
void main()
{
    vec2 uv = v_uv;
    if (ReverseHorizontal != 0)
        uv.x = 1.0 - uv.x;
    if (ReverseVertical != 0)
        uv.y = 1.0 - uv.y;
    vec2 reversed = vec2(ReverseHorizontal != 0 ? 1.0 : 0.0, ReverseVertical != 0 ? 1.0 : 0.0);
    vec2 kept = mix(step(TextureOffset.xy, v_uv), step(v_uv, TextureOffset.xy), reversed);
    vec4 colour = texture2D(Tex0, uv) * v_colour;
    colour.a *= texture2D(Tex1, v_uv).a * kept.x * kept.y;
    gl_FragColor = colour;
}

// Puts the deferred frame together: the scene colour (unit 0) darkened by the
// ambient occlusion (unit 2) and lit by the point lights (unit 1). It draws
// into the scene colour target, so it reads that target only at each
// fragment's own texel.
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
uniform float aspect = 1.0;
uniform vec3 l_ambient = vec3(1.0);
uniform vec3 l_point = vec3(1.0);
varying vec2 v_uv;

void main()
{
    vec4 scene = texture2D(Tex0, v_uv);
    vec3 lights = texture2D(Tex1, v_uv).rgb * l_point;
    float occlusion = texture2D(Tex2, v_uv).r;
    // A faint vignette, round on any screen shape.
    vec2 fromCentre = (v_uv - 0.5) * vec2(aspect, 1.0);
    float vignette = 1.0 - 0.15 * dot(fromCentre, fromCentre);
    vec3 colour = scene.rgb * occlusion * vignette * (l_ambient + lights);
    gl_FragColor = vec4(colour, scene.a);
}

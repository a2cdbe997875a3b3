// A directional light over the screen: the scene colour on unit 0 tinted by
// the global light's ambient and diffuse colours.
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
uniform vec3 l_direction;
uniform vec3 l_diffuse;
uniform vec3 l_ambient = vec3(1.0);
uniform float l_power = 1.0;
varying vec2 v_uv;

void main()
{
    float facing = max(-normalize(l_direction + vec3(0.0, 0.0, 1e-6)).z, 0.0);
    vec4 scene = texture2D(Tex0, v_uv);
    gl_FragColor = vec4(scene.rgb * (l_ambient + l_diffuse * pow(facing, max(l_power, 1.0))), scene.a);
}

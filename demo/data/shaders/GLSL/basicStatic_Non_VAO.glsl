// Static models without vertex array objects.
#version 120
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_view;
varying vec4 v_clip;

vec3 Skin(vec4 v) { return v.xyz; }

void main()
{
    vec4 position = vec4(Skin(gl_Vertex), 1.0);
    vec3 normal = Skin(vec4(gl_Normal, 0.0));
    vec4 view = gl_ModelViewMatrix * position;
    gl_Position = gl_ProjectionMatrix * view;
    v_clip = gl_Position;
    v_view = view.xyz;
    v_normal = gl_NormalMatrix * normal;
    v_uv = gl_MultiTexCoord0.xy;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform float alpha = 1.0;
uniform float useLight = 0.0;
uniform vec3 l_direction;
uniform vec3 l_diffuse;
uniform vec3 l_specular;
uniform vec3 l_ambient = vec3(1.0);
uniform float l_power = 1.0;
uniform vec3 l_point;

vec3 Lighting(vec3 normal, vec3 view)
{
    vec3 n = normalize(normal);
    vec3 toLight = -normalize(l_direction + vec3(0.0, 0.0, 1e-6));
    float diffuse = max(dot(n, toLight), 0.0);
    float specular = pow(max(dot(reflect(-toLight, n), normalize(-view)), 0.0), max(l_power, 1.0));
    return l_ambient + l_diffuse * diffuse + l_specular * specular;
}
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_view;
varying vec4 v_clip;

void main()
{
    vec4 texel = texture2D(Tex0, v_uv);
    vec3 light = useLight > 0.5 ? Lighting(v_normal, v_view) : vec3(1.0);
    gl_FragColor = vec4(texel.rgb * light, texel.a * alpha);
}

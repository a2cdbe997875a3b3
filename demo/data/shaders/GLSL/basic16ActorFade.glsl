// Skinned actors fading out, over the scene colour on unit 1.
#version 120
attribute vec3 va_normal;
attribute vec4 va_paletteindex;
attribute vec4 va_weight;
attribute vec2 va_texcoord0;
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_view;
varying vec4 v_clip;

// Bone palette: three rows of a 3 x 4 matrix per joint.
uniform vec4 bones[144];
uniform int numjoints;

vec3 SkinRows(int joint, vec4 v)
{
    return vec3(dot(bones[3 * joint], v), dot(bones[3 * joint + 1], v), dot(bones[3 * joint + 2], v));
}

// Up to four weighted joints; a vertex without weights stays where it is.
vec3 Skin(vec4 v)
{
    if (numjoints <= 0)
        return v.xyz;
    vec3 result = vec3(0.0);
    float total = 0.0;
    for (int i = 0; i < 4; ++i)
    {
        int joint = int(va_paletteindex[i] + 0.5);
        float weight = va_weight[i];
        if (weight > 0.0 && joint < numjoints)
        {
            result += weight * SkinRows(joint, v);
            total += weight;
        }
    }
    return total > 0.0 ? result / total : v.xyz;
}

void main()
{
    vec4 position = vec4(Skin(gl_Vertex), 1.0);
    vec3 normal = Skin(vec4(va_normal, 0.0));
    vec4 view = gl_ModelViewMatrix * position;
    gl_Position = gl_ProjectionMatrix * view;
    v_clip = gl_Position;
    v_view = view.xyz;
    v_normal = gl_NormalMatrix * normal;
    v_uv = va_texcoord0;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform sampler2D Tex1;
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
    // Mixed by hand with the scene colour on unit 1 at this fragment's own
    // place: the deferred frame draws fading actors without blending.
    vec2 screen = v_clip.xy / v_clip.w * 0.5 + 0.5;
    vec3 scene = texture2D(Tex1, screen).rgb;
    vec3 lit = texel.rgb * Lighting(v_normal, v_view);
    gl_FragColor = vec4(mix(scene, lit, alpha), alpha);
}

// Models in the deferred frame: colour only; light comes later from the screen passes.
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
uniform float alpha = 1.0;
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_view;
varying vec4 v_clip;

void main()
{
    vec4 texel = texture2D(Tex0, v_uv);
    gl_FragColor = vec4(texel.rgb, texel.a * alpha);
}

// Screen-space ambient occlusion from the depth target on unit 0, turned per
// pixel by the 4 x 4 random texture on unit 1. The quad carries
// (width, height, 1 / width, 1 / height) and (blur scale, depth scale, near
// plane, far plane).
//
// A sample occludes when it stands in front of the plane of the surface at
// the pixel (extended from the depth's slope there), by more than a small
// bias and less than a range in eye units: a plane never occludes itself,
// a crease such as a wall's foot does, and a far object does not. Depth
// buffer values are linear in screen space across a plane, so the plane is
// extended in them and only the difference is turned into eye units. The
// reach is a share of the screen height, so every render size shades alike.
#version 120
attribute vec4 va_texcoord0;
attribute vec4 va_texcoord1;
varying vec2 v_uv;
varying vec4 v_size;
varying vec4 v_params;

void main()
{
    gl_Position = vec4(gl_Vertex.xy, 0.0, 1.0);
    v_uv = gl_Vertex.xy * 0.5 + 0.5;
    v_size = va_texcoord0;
    v_params = va_texcoord1;
}
//!!FS
#version 120
uniform sampler2D Tex0;
uniform sampler2D Tex1;
varying vec2 v_uv;
varying vec4 v_size;
varying vec4 v_params;

const float kBias = 1.0;
const float kRange = 40.0;
const float kReachStep = 0.006;

float Depth(vec2 uv)
{
    return texture2D(Tex0, uv).r;
}

// The one-sided slope with the smaller step: beside an edge, the side that
// lies on the pixel's own surface.
float Slope(float here, vec2 step)
{
    float before = here - Depth(v_uv - step);
    float after = Depth(v_uv + step) - here;
    return abs(before) < abs(after) ? before : after;
}

void main()
{
    float depth = Depth(v_uv);
    if (depth >= 1.0)
    {
        gl_FragColor = vec4(1.0);
        return;
    }
    float near = v_params.z;
    float far = v_params.w;
    float eye = near * far / (far - depth * (far - near));
    float perEyeUnit = near * far / ((far - near) * eye * eye);
    vec2 slope = vec2(Slope(depth, vec2(v_size.z, 0.0)), Slope(depth, vec2(0.0, v_size.w)));

    float angle = texture2D(Tex1, gl_FragCoord.xy / 4.0).r * 6.2831853;
    vec2 turn = vec2(cos(angle), sin(angle));
    float occlusion = 0.0;
    for (int i = 0; i < 8; ++i)
    {
        float a = float(i) * 0.7853982;
        vec2 direction = vec2(cos(a) * turn.x - sin(a) * turn.y, sin(a) * turn.x + cos(a) * turn.y);
        // Whole pixels: the depth is read at texel centres, and the plane must
        // be extended to the same place.
        vec2 pixels = floor(direction * v_size.y * kReachStep * float(i + 1) + 0.5);
        float expected = depth + dot(slope, pixels);
        float inFront = (expected - Depth(v_uv + pixels * v_size.zw)) / perEyeUnit;
        occlusion += smoothstep(kBias, 2.0 * kBias, inFront) * (1.0 - smoothstep(kRange, 2.0 * kRange, inFront));
    }
    gl_FragColor = vec4(vec3(1.0 - occlusion / 8.0), 1.0);
}

#include "game/Entity.h"

#include "game/EntityRegistry.h"

#include <cstring>

namespace
{
constexpr float kShortestDirection = 0.00001f;

void SetAxes(Mat4& m, const Vec3& right, const Vec3& up, const Vec3& forward)
{
    const Vec3 axes[3] = {right, up, forward};
    for (int column = 0; column < 3; ++column)
    {
        m[column * 4 + 0] = axes[column].x;
        m[column * 4 + 1] = axes[column].y;
        m[column * 4 + 2] = axes[column].z;
    }
}

Mat4 AxisRotation(float angle, const Vec3& axis)
{
    Mat4 rotation = Mat4Identity();
    Mat4SetRotationAxisAngle(rotation, angle, axis);
    return rotation;
}
} // namespace

Entity::Entity() : m__matrix(Mat4Identity()) {}

Entity::~Entity()
{
    EntityRegistryRemove(this);
}

void Entity::SetRenderInstance(RenderInstance* instance)
{
    m_renderInstance = instance;
}

RenderInstance* Entity::GetRenderInstance()
{
    return m_renderInstance;
}

void Entity::SetMatrix(const float matrix[16])
{
    memcpy(m__matrix.m, matrix, sizeof m__matrix.m);
}

Mat4* Entity::GetMatrix()
{
    return &m__matrix;
}

void Entity::SetOffset(float x, float y, float z)
{
    m_offset = Vec3(x, y, z);
}

void Entity::SetRadius(float radius)
{
    m_radius = radius;
}

void Entity::SetUserFloat(float value)
{
    m_bounce = value;
}

float Entity::GetUserFloat()
{
    return m_bounce;
}

Vec3* Entity::GetVelocity()
{
    return &m__velocity;
}

void Entity::AddForce(const Vec3& force)
{
    m_force += force;
}

void Entity::AddInertialessForce(const Vec3& velocity)
{
    m_inertialessForce += velocity;
}

void Entity::Unused() {}

void Entity::Step(float) {}

void Entity::FaceXY(const Vec2& direction)
{
    Vec3 forward(direction.x, direction.y, 0.0f);
    if (Vec3Normalize(forward) <= kShortestDirection)
        return;
    const Vec3 z(0.0f, 0.0f, 1.0f);
    SetAxes(m__matrix, forward, Vec3Cross(z, forward), z);
}

void Entity::FaceXZ(const Vec2& direction)
{
    Vec3 forward(direction.x, 0.0f, direction.y);
    if (Vec3Normalize(forward) <= kShortestDirection)
        return;
    const Vec3 y(0.0f, 1.0f, 0.0f);
    SetAxes(m__matrix, Vec3Cross(y, forward), y, forward);
}

void Entity::RotateByAngles(float a, float b)
{
    const Mat4 turn = Mat4Multiply(AxisRotation(a, Vec3(1.0f, 0.0f, 0.0f)), AxisRotation(b, Vec3(0.0f, 0.0f, 1.0f)));
    m__matrix = Mat4Multiply(m__matrix, turn);
}

void Entity::ResolveAgainstWorld() {}

void Entity::OnTerrainContact(bool, const Vec3&, const Vec3&) {}

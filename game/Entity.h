#pragma once
// A placed world object: a world matrix, a collision sphere, a velocity and
// two force accumulators that the world physics integrates, the last terrain
// contact, and the render instance the scene draws once a model is given.
// Actor (animated) and Prop (static) derive from it and embed their own
// render instance, so one allocation holds both.
//
// Whoever creates an entity adds it to the entity registry; deleting an
// entity takes it out again, so the registry never holds a dead pointer.

#include "core/Mat4.h"
#include "core/Vec2.h"
#include "core/Vec3.h"

#include <cstdint>

class RenderInstance;

constexpr uint32_t kEntityVisible = 0x1;
constexpr uint32_t kEntityInPhysics = 0x2;

class Entity
{
public:
    Mat4 m__matrix;
    Vec3 m_offset = Vec3(0.0f, 0.0f, 0.0f);
    // Zero or less keeps the entity out of physics.
    float m_radius = 1.0f;
    RenderInstance* m_renderInstance = nullptr;
    uint32_t m_reserved = 0;
    // Units per second; the two accumulators follow it in memory, in this
    // order, and every physics step clears them.
    Vec3 m__velocity = Vec3(0.0f, 0.0f, 0.0f);
    Vec3 m_force = Vec3(0.0f, 0.0f, 0.0f);
    Vec3 m_inertialessForce = Vec3(0.0f, 0.0f, 0.0f);
    // 0 slides along the terrain, 1 bounces off it.
    float m_bounce = 0.0f;
    Vec3 m_contactNormal = Vec3(0.0f, 0.0f, 0.0f);
    Vec3 m_contactPoint = Vec3(0.0f, 0.0f, 0.0f);
    uint32_t m_contactFace = 0;
    uint8_t m_contactFlag = 0;
    uint32_t m_flags = kEntityVisible | kEntityInPhysics;
    // Set by a creator that allocated the entity with new: world finalisation
    // deletes those it finds still registered, and only those (an entity
    // living inside a script instance is freed by that instance).
    bool m_engineAllocated = false;

    Entity();
    virtual ~Entity();
    Entity(const Entity&) = delete;
    Entity& operator=(const Entity&) = delete;

    virtual void SetRenderInstance(RenderInstance* instance);
    virtual RenderInstance* GetRenderInstance();
    virtual void SetMatrix(const float matrix[16]);
    virtual Mat4* GetMatrix();
    virtual void SetOffset(float x, float y, float z);
    virtual void SetRadius(float radius);
    virtual void SetUserFloat(float value);
    virtual float GetUserFloat();
    virtual Vec3* GetVelocity();
    virtual void AddForce(const Vec3& force);
    virtual void AddInertialessForce(const Vec3& velocity);
    virtual void Unused();
    // Called every unpaused fixed step while registered.
    virtual void Step(float dt);
    // Turn the rotation to face a direction in the XY or the XZ plane; the
    // position stays. A direction of no length leaves the rotation.
    virtual void FaceXY(const Vec2& direction);
    virtual void FaceXZ(const Vec2& direction);
    // rotation = rotation x (about X by a) x (about Z by b), in radians.
    virtual void RotateByAngles(float a, float b);
    // Sets the position's height onto the terrain below (or, failing that,
    // above) it; unchanged where no terrain lies under it.
    virtual void ResolveAgainstWorld();
    virtual void OnTerrainContact(bool specialSurface, const Vec3& normal, const Vec3& point);

    Vec3 Position() const { return Mat4GetTranslation(m__matrix); }
    void SetPosition(const Vec3& position) { Mat4SetTranslation(m__matrix, position); }
};

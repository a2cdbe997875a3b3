#pragma once
// The static entity behind the script class "Prop". Its render instance is
// embedded and draws under the prop's matrix and visible bit; it is handed to
// the scene (SetRenderInstance) once a model is given. The prop's natives fill
// its table of named mesh entries and the entries chosen for the drop-in.

#include "core/FixedString.h"
#include "cross/RenderInstance.h"
#include "game/Entity.h"

#include <cstdint>
#include <vector>

// One material entry of one mesh of the prop's model, with the two names its
// texture name splits into at '|'.
struct PropMeshRecord
{
    uint32_t meshIndex = 0;
    uint32_t subIndex = 0;
    uint32_t firstHash = 0;
    uint32_t secondHash = 0;
    FixedString128 firstName;
    FixedString128 secondName;
    FixedString128 fullName;
};

class Prop : public Entity
{
public:
    PropRenderInstance m_propInstance;
    std::vector<PropMeshRecord> m_meshNames;
    // Indices into m_meshNames.
    std::vector<uint32_t> m_dropList;
    float m_propReserved = 0.0f;

    Prop();
    ~Prop() override;
};

#pragma once
// Small models and animations made by our writers, shared by the model,
// cache and animation tests.

#include "tools/formats/AnimWriter.h"
#include "tools/formats/ModelWriter.h"

#include <string>

// One quad mesh (4 vertices at x 1..3, y -1..1, 6 indices) with one
// textured material, a joint "root", a socket "hand" on joint 0, a node
// "blade" and two collision spheres, at the given version.
inline ChModel QuadModel(uint32_t version, const std::string& texture = "tree.tga")
{
    ChModel model;
    model.version = version;
    model.centre[0] = 2.0f;
    model.radius = 5.0f;
    ChModelMesh mesh;
    mesh.flags = 0x11;
    mesh.sortOrder = 7;
    std::vector<ChModelVertex> vertices(4);
    const float corners[4][2] = {{1, -1}, {3, -1}, {3, 1}, {1, 1}};
    for (int i = 0; i < 4; ++i)
    {
        vertices[size_t(i)].position[0] = corners[i][0];
        vertices[size_t(i)].position[1] = corners[i][1];
        vertices[size_t(i)].uv[0] = corners[i][0] > 2 ? 1.0f : 0.0f;
        vertices[size_t(i)].uv[1] = corners[i][1] > 0 ? 1.0f : 0.0f;
    }
    ChModelSetVertices(mesh, vertices, false);
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.joints.push_back({3, "root", Mat4Identity()});
    ChModelSocket socket;
    socket.name = "hand";
    socket.joint = 0;
    socket.matrix = Mat4Identity();
    socket.matrix[12] = 5.0f;
    mesh.sockets.push_back(socket);
    ChModelNode node;
    node.name = "blade";
    node.matrix = Mat4Identity();
    node.matrix[13] = 2.0f;
    mesh.nodes.push_back(node);
    mesh.materials.push_back(ChModelTexturedMaterial(texture, 0, 6));
    model.meshes.push_back(mesh);
    model.spheres = {0, 0, 0, 1, 1, 2, 3, 4};
    return model;
}

// A skeleton of `joints` joints in a chain along x, one unit apart, with one
// animation of `frames` frames whose keys are all the identity rotation.
inline ChAnim ChainAnim(uint32_t version, int joints, uint32_t frames)
{
    ChAnim anim;
    anim.version = version;
    for (int j = 0; j < joints; ++j)
    {
        ChAnimJoint joint;
        joint.name = "joint" + std::to_string(j);
        joint.parent = j - 1;
        joint.bind = Mat4Identity();
        joint.bind[12] = float(j);
        anim.joints.push_back(joint);
    }
    ChAnimAnimation animation;
    animation.name = "idle";
    animation.rate = 10;
    animation.jointCount = uint32_t(joints);
    animation.frameCount = frames;
    animation.rotationKeys.assign(size_t(frames) * joints, Quaternion());
    anim.animations.push_back(animation);
    return anim;
}

// glTF's own answer, worked out independently of the importer on the test models' plain data
// (tightly packed floats, byte or short joints): where each vertex is at a time.
#pragma once

#include <array>
#include <vector>

#include <tiny_gltf.h>

using RefVec = std::array<double, 3>;

struct RefVertex {
    RefVec rest;   // at rest
    RefVec posed;  // at the asked time
};

// The model with animation `animation`'s channels applied at time t (STEP, LINEAR with
// spherical rotations, CUBICSPLINE), as node TRS.
tinygltf::Model PosedModel(const tinygltf::Model& model, int animation, double t);

// Every vertex of the default scene's triangle primitives that one node or joint moves alone.
std::vector<RefVertex> RigidVertices(const tinygltf::Model& model, int animation, double t);

// Every vertex of the default scene's skinned triangle primitives, each placed by linear blend
// skinning: the sum over its joints of weight x joint world matrix x inverse bind matrix.
std::vector<RefVertex> SkinnedVertices(const tinygltf::Model& model, int animation, double t);

// Every skinned vertex of the default scene's triangle primitives blended over several joints,
// placed by linear blend skinning: Σ wᵢ·Jᵢ(t)·IBMᵢ.
std::vector<RefVertex> BlendedVertices(const tinygltf::Model& model, int animation, double t);

// The longest key time of an animation.
double AnimationLength(const tinygltf::Model& model, int animation);

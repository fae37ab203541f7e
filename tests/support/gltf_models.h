// glTF 2.0 models of our own making, built in code with tinygltf's structures, for the glTF
// tool's tests, its fuzz seeds and its benchmark. Each passes the Khronos glTF Validator with
// no errors, as .glb and as .gltf.
//
// Images are held as decoded pixels with a mime type; SaveModel stores them as PNG or JPEG in
// the binary chunk of a .glb, or as data URIs in a .gltf.
#pragma once

#include <string>
#include <vector>

#include <tiny_gltf.h>

// A figure of boxes skinned to nine joints under an "Armature" node scaled by 0.01 (its joints
// are in centimetres, its mesh in metres): joints with rest rotations, inverse bind matrices
// from the rest pose, vertices at the joints blended over 2 to 4 joints, the rest bound rigidly
// (weight 1). Two primitives ("Cloth" and "Skin" materials), normals. Animations "Wave" and
// "Bend": LINEAR rotation and translation channels.
tinygltf::Model SkinnedModel();

// A crane of rigid meshes on a node hierarchy: "Base" > "Pivot" (no mesh) > "Boom" > "Head" >
// "Finger.L", "Finger.R" (one mesh on both) and "Gun" (an empty node). The boom's mesh has no
// normals; the head's is a triangle fan, the fingers' a non-indexed triangle strip; the base
// has a lines primitive. Animation "Work" uses LINEAR, STEP and CUBICSPLINE samplers on
// rotation, translation and scale.
tinygltf::Model NodeAnimatedModel();

// A signpost: a panel showing a 32x16 image (PNG, or JPEG when `jpeg`) through TEXCOORD_0 and
// baseColorTexture, with a baseColorFactor; the frame and the post are further primitives with
// other materials (metallic and roughness factors). The image's quadrants are red (top left),
// green (top right), blue (bottom left) and white (bottom right); seen from the front (+Z) the
// panel shows it upright. No animations.
tinygltf::Model TexturedModel(bool jpeg);

// A shelf with boxes, no animations: two nodes named "Box", one unnamed node (with a matrix
// instead of TRS), one with a 200-character name, and a second scene that is not the default
// holding a node "Hidden".
tinygltf::Model StaticModel();

// A vertical sheet of exactly `triangles` triangles skinned to a chain of eight joints
// ("Bone0" .. "Bone7", blended between neighbours), `animations` animations ("Sway1", ...) of
// two seconds, one 512x512 PNG base-colour texture.
tinygltf::Model LargeModel(int triangles, int animations);

// The model as .glb (binary) or .gltf (embedded data) bytes.
std::vector<unsigned char> SaveModel(const tinygltf::Model& model, bool binary);

// Writes SaveModel's bytes: .glb for a path ending in ".glb", .gltf otherwise.
bool WriteModelFile(const tinygltf::Model& model, const std::string& path);

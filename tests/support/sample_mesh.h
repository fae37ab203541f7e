// One small mesh twice over: as bytes laid out by hand, and as the writer's input. Two
// materials, no textures, five vertices (the last used by no face), three normals, two faces
// sharing vertices with different normals (the second with one layer), and the node tree
//   Root - Body - Arm
//        |      - Gun
//        - Head - Gun
#pragma once

#include <string>

#include "assets/mesh_writer.h"
#include "tests/support/byte_builder.h"

inline std::string SampleMeshBytes() {
    ByteBuilder b;
    b.Raw("PLY").Int(2);
    b.Int(2);  // materials
    b.Byte(255).Byte(0).Byte(51).Float(1.5f).Byte(10).Byte(20).Byte(30).Float(-2.0f);
    b.Float(0.25f).Floats({1, 2, 3, 4, 5, 6});
    b.Byte(0).Byte(128).Byte(255).Float(0).Byte(255).Byte(255).Byte(255).Float(0);
    b.Float(1.0f).Floats({0, 0, 0, 0, 0, 0});
    b.Int(0);  // textures
    b.Int(5).Floats({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 9, 9, 9});
    b.Int(3).Floats({0, 0, 1, 0, 1, 0, 1, 0, 0});
    b.Int(2);  // faces
    b.Ints({1, 0, 1, 2, 3, 0, 0, 0, 0, 0});
    b.Ints({0, 2, 1, 0, 3, 1, 2, 1, 2, 1});
    b.Int(-1).Floats({0.5f, 0.25f, -1.0f}).Byte(7).Byte(200);
    b.Floats({0, 0, 1, 0.25f, 1, 1, 0, 0.75f});
    // Nodes in pre-order: has child, has sibling, name, nine points, vertices.
    b.Byte(1).Byte(0).Str("Root").Floats({1, 2, 3, 4, 5, 6, 7, 8, 9}).Ints({2, 0, 1});
    b.Byte(1).Byte(1).Str("Body").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Ints({1, 2});
    b.Byte(0).Byte(1).Str("Arm").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Ints({0});
    b.Byte(0).Byte(0).Str("Gun").Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Ints({1, 3});
    b.Byte(1).Byte(0).Str("Head").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Ints({1, 4});
    b.Byte(0).Byte(0).Str("Gun").Floats({0, 0, 0, 0, 0, 0, 0, 0, 0}).Ints({0});
    return b.str();
}

inline MeshSource SampleMeshSource() {
    MeshSource s;
    s.materials.push_back({{255, 0, 51}, 1.5f, {10, 20, 30}, -2.0f, 0.25f, {1, 2, 3, 4, 5, 6}});
    s.materials.push_back({{0, 128, 255}, 0, {255, 255, 255}, 0, 1.0f, {}});
    s.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {9, 9, 9}};
    s.normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    s.faces.push_back({1, {0, 1, 2, 3}, {0, 0, 0, 0}, {}});
    LayerSource layer{-1, {0.5f, 0.25f, -1.0f}, {7, 200}, {{0, 0}, {1, 0.25f}, {1, 1}, {0, 0.75f}}};
    s.faces.push_back({0, {2, 1, 0, 3}, {1, 2, 1, 2}, {layer}});
    const auto root = s.AddNode("Root", -1);
    const auto body = s.AddNode("Body", root);
    s.AddNode("Head", root);
    s.AddNode("Arm", body);
    s.AddNode("Gun", body);
    s.AddNode("Gun", 2);
    s.nodes[root].vertices = {0, 1};
    for (int i = 0; i < 9; ++i) {
        s.nodes[root].points[i] = static_cast<float>(i + 1);
    }
    s.nodes[body].vertices = {2};
    s.nodes[2].vertices = {4};
    s.nodes[4].vertices = {3};
    s.nodes[4].points[3] = 1;
    s.nodes[4].points[7] = 1;
    return s;
}

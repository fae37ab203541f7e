// Reads glTF accessors with every offset, stride and count checked against the buffer view and
// the buffer it lies in, so that no file can make us read outside what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <tiny_gltf.h>

// Elements at most one accessor may hold: far beyond any model the game can draw, and small
// enough that no count makes a huge allocation.
inline constexpr std::size_t kMaxAccessorElements = std::size_t{1} << 24;
// Elements of an accessor without a buffer view (zeros but for its sparse values).
inline constexpr std::size_t kMaxElementsWithoutView = std::size_t{1} << 16;

// Accessor `index` of glTF type `type` (TINYGLTF_TYPE_SCALAR, _VEC3, ...) as count x components
// values, integers normalised when the accessor says so; sparse accessors are applied.
// Matrices must have float components. False with one line in `error` on any violation.
bool ReadAccessor(const tinygltf::Model& model, int index, int type, std::vector<double>& out,
                  std::string& error);

// An accessor's values as ReadAccessor gives them, read where they lie in the buffer instead of
// copied out first (a sparse accessor or one without a view is read whole into a copy). Valid
// while the model is.
class AccessorView {
  public:
    std::size_t Count() const { return count_; }
    // Component c of element i (c below the type's components, i below Count()).
    double At(std::size_t i, int c) const {
        if (bytes_ != nullptr && componentType_ == TINYGLTF_COMPONENT_TYPE_FLOAT) {
            float v;  // most attributes: read in place
            std::memcpy(&v, bytes_ + i * stride_ + static_cast<std::size_t>(c) * 4, 4);
            return v;
        }
        return Other(i, c);
    }

  private:
    double Other(std::size_t i, int c) const;

    friend bool ViewAccessor(const tinygltf::Model&, int, int, AccessorView&, std::string&);
    std::size_t count_ = 0;
    int components_ = 0;
    const unsigned char* bytes_ = nullptr;  // element 0
    std::size_t stride_ = 0;
    std::size_t size_ = 0;  // of a component
    int componentType_ = 0;
    bool normalized_ = false;
    std::vector<double> values_;  // the copy, when there is one
};

// Accessor `index` of glTF type `type` as a view, with ReadAccessor's checks and failures.
bool ViewAccessor(const tinygltf::Model& model, int index, int type, AccessorView& out,
                  std::string& error);

// Whether accessor `index` holds plain indices: unsigned bytes, shorts or ints in a buffer
// view, neither normalised nor sparse.
bool PlainIndices(const tinygltf::Model& model, int index);
// Such an accessor, read as a scalar accessor with ReadAccessor's checks and failures, its
// values as they are (no trip through double precision).
bool ReadPlainIndices(const tinygltf::Model& model, int index, std::vector<std::uint32_t>& out,
                      std::string& error);

// Components of a glTF type, 0 for an unknown one.
int ComponentsOf(int type);

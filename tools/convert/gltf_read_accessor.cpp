#include "tools/convert/gltf_read_accessor.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace {

int ComponentSize(int componentType) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return 1;
        case TINYGLTF_COMPONENT_TYPE_SHORT:
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
            return 2;
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
        case TINYGLTF_COMPONENT_TYPE_FLOAT:
            return 4;
        default:
            return 0;
    }
}

double Component(const unsigned char* p, int componentType, bool normalized) {
    switch (componentType) {
        case TINYGLTF_COMPONENT_TYPE_BYTE: {
            const auto v = static_cast<std::int8_t>(p[0]);
            return normalized ? std::max(v / 127.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
            return normalized ? p[0] / 255.0 : p[0];
        case TINYGLTF_COMPONENT_TYPE_SHORT: {
            std::int16_t v;
            std::memcpy(&v, p, 2);
            return normalized ? std::max(v / 32767.0, -1.0) : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
            std::uint16_t v;
            std::memcpy(&v, p, 2);
            return normalized ? v / 65535.0 : v;
        }
        case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            return normalized ? v / 4294967295.0 : v;
        }
        default: {
            float v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}

// The bytes of a buffer view, or null when the view does not lie inside its buffer.
const unsigned char* ViewBytes(const tinygltf::Model& model, int view, std::size_t& length) {
    if (view < 0 || static_cast<std::size_t>(view) >= model.bufferViews.size())
        return nullptr;
    const tinygltf::BufferView& v = model.bufferViews[static_cast<std::size_t>(view)];
    if (v.buffer < 0 || static_cast<std::size_t>(v.buffer) >= model.buffers.size())
        return nullptr;
    const std::vector<unsigned char>& data = model.buffers[static_cast<std::size_t>(v.buffer)].data;
    if (v.byteOffset > data.size() || v.byteLength > data.size() - v.byteOffset)
        return nullptr;
    length = v.byteLength;
    return data.data() + v.byteOffset;
}

// Reads `count` elements of `components` components each from a view, tightly packed unless
// the view gives a stride, appending them to `out` (nothing is written twice). False when they
// do not all lie inside the view; with a null `out` only that is checked. Integer output takes
// plain unsigned integers only (no normalised ones), as they are.
template <class T>
bool ReadElements(const tinygltf::Model& model, int view, std::size_t offset, std::size_t count,
                  int components, int componentType, bool normalized, std::vector<T>* out) {
    std::size_t length = 0;
    const unsigned char* bytes = ViewBytes(model, view, length);
    if (bytes == nullptr)
        return false;
    const auto size = static_cast<std::size_t>(ComponentSize(componentType));
    const std::size_t element = size * static_cast<std::size_t>(components);
    const std::size_t viewStride = model.bufferViews[static_cast<std::size_t>(view)].byteStride;
    const std::size_t stride = viewStride != 0 ? viewStride : element;
    // Counts are capped far below the point where these products could overflow.
    if (stride < element || stride > 1024 || offset > length ||
        (count - 1) * stride + element > length - offset) {
        return false;
    }
    if (out == nullptr)
        return true;
    const auto each = [&](auto read) {
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* p = bytes + offset + i * stride;
            for (int c = 0; c < components; ++c)
                out->push_back(read(p + static_cast<std::size_t>(c) * size));
        }
    };
    const bool plainUnsigned =
        !normalized && (componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                        componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                        componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT);
    if (std::is_integral_v<T> || plainUnsigned) {
        // Host order, as Component reads them; the values as they are.
        if (size == 1) {
            each([](const unsigned char* p) { return static_cast<T>(p[0]); });
        } else if (size == 2) {
            each([](const unsigned char* p) {
                std::uint16_t v;
                std::memcpy(&v, p, 2);
                return static_cast<T>(v);
            });
        } else {
            each([](const unsigned char* p) {
                std::uint32_t v;
                std::memcpy(&v, p, 4);
                return static_cast<T>(v);
            });
        }
    } else if (componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) {
        // Most attributes are floats: read without the per-component switch.
        each([](const unsigned char* p) {
            float v;
            std::memcpy(&v, p, 4);
            return static_cast<T>(v);
        });
    } else {
        each([&](const unsigned char* p) { return Component(p, componentType, normalized); });
    }
    return true;
}

bool ApplySparse(const tinygltf::Model& model, const tinygltf::Accessor& a, int components,
                 std::vector<double>& out) {
    const auto& sparse = a.sparse;
    if (sparse.count < 1 || static_cast<std::size_t>(sparse.count) > a.count ||
        sparse.indices.byteOffset < 0 || sparse.values.byteOffset < 0) {
        return false;
    }
    const int indexType = sparse.indices.componentType;
    if (indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
        indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT &&
        indexType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) {
        return false;
    }
    const auto n = static_cast<std::size_t>(sparse.count);
    std::vector<double> indices, values;
    if (!ReadElements(model, sparse.indices.bufferView,
                      static_cast<std::size_t>(sparse.indices.byteOffset), n, 1, indexType, false,
                      &indices) ||
        !ReadElements(model, sparse.values.bufferView,
                      static_cast<std::size_t>(sparse.values.byteOffset), n, components,
                      a.componentType, a.normalized, &values)) {
        return false;
    }
    const auto c = static_cast<std::size_t>(components);
    for (std::size_t i = 0; i < n; ++i) {
        if (indices[i] >= static_cast<double>(a.count))
            return false;
        const auto target = static_cast<std::size_t>(indices[i]);
        std::copy(values.begin() + static_cast<std::ptrdiff_t>(i * c),
                  values.begin() + static_cast<std::ptrdiff_t>((i + 1) * c),
                  out.begin() + static_cast<std::ptrdiff_t>(target * c));
    }
    return true;
}

}  // namespace

int ComponentsOf(int type) {
    switch (type) {
        case TINYGLTF_TYPE_SCALAR:
            return 1;
        case TINYGLTF_TYPE_VEC2:
            return 2;
        case TINYGLTF_TYPE_VEC3:
            return 3;
        case TINYGLTF_TYPE_VEC4:
        case TINYGLTF_TYPE_MAT2:
            return 4;
        case TINYGLTF_TYPE_MAT3:
            return 9;
        case TINYGLTF_TYPE_MAT4:
            return 16;
        default:
            return 0;
    }
}

namespace {

// Accessor `index` when it may be read as `type` (see ReadAccessor); null with one line.
const tinygltf::Accessor* CheckAccessor(const tinygltf::Model& model, int index, int type,
                                        std::string& error) {
    const std::string name = "accessor " + std::to_string(index);
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size()) {
        error = "an accessor index (" + std::to_string(index) + ") is out of range";
        return nullptr;
    }
    const tinygltf::Accessor& a = model.accessors[static_cast<std::size_t>(index)];
    const int components = ComponentsOf(type);
    const bool matrix =
        type == TINYGLTF_TYPE_MAT2 || type == TINYGLTF_TYPE_MAT3 || type == TINYGLTF_TYPE_MAT4;
    if (a.type != type || ComponentSize(a.componentType) == 0 ||
        (matrix && a.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT)) {
        error = name + " has a type or component type that does not fit its use";
        return nullptr;
    }
    if (a.count < 1 || a.count > kMaxAccessorElements) {
        error = name + " holds " + std::to_string(a.count) + " elements; 1 to " +
                std::to_string(kMaxAccessorElements) + " are supported";
        return nullptr;
    }
    // Nothing is allocated before the file is known to hold the elements: without a buffer
    // view they are zeros that a sparse part replaces, which a few bytes can ask for in any
    // number, so those are held to far fewer.
    if (a.bufferView < 0 && (!a.sparse.isSparse || a.count > kMaxElementsWithoutView)) {
        error = name + " has no buffer view and " +
                (a.sparse.isSparse
                     ? "more than " + std::to_string(kMaxElementsWithoutView) + " elements"
                     : std::string("no sparse part"));
        return nullptr;
    }
    if (a.bufferView >= 0 &&
        !ReadElements<double>(model, a.bufferView, a.byteOffset, a.count, components,
                              a.componentType, a.normalized, nullptr)) {
        error = name + " reaches outside its buffer view or buffer";
        return nullptr;
    }
    return &a;
}

}  // namespace

bool ReadAccessor(const tinygltf::Model& model, int index, int type, std::vector<double>& out,
                  std::string& error) {
    const tinygltf::Accessor* a = CheckAccessor(model, index, type, error);
    if (a == nullptr)
        return false;
    const int components = ComponentsOf(type);
    const std::size_t values = a->count * static_cast<std::size_t>(components);
    out.clear();
    if (a->bufferView >= 0) {
        out.reserve(values);
        ReadElements(model, a->bufferView, a->byteOffset, a->count, components, a->componentType,
                     a->normalized, &out);
    } else {
        out.assign(values, 0.0);
    }
    if (a->sparse.isSparse && !ApplySparse(model, *a, components, out)) {
        error = "accessor " + std::to_string(index) +
                " has a sparse part with out-of-range counts, offsets or indices";
        return false;
    }
    return true;
}

double AccessorView::Other(std::size_t i, int c) const {
    if (bytes_ == nullptr)
        return values_[i * static_cast<std::size_t>(components_) + static_cast<std::size_t>(c)];
    return Component(bytes_ + i * stride_ + static_cast<std::size_t>(c) * size_, componentType_,
                     normalized_);
}

bool ViewAccessor(const tinygltf::Model& model, int index, int type, AccessorView& out,
                  std::string& error) {
    out = {};
    const tinygltf::Accessor* a = CheckAccessor(model, index, type, error);
    if (a == nullptr)
        return false;
    out.count_ = a->count;
    out.components_ = ComponentsOf(type);
    if (a->sparse.isSparse || a->bufferView < 0)
        return ReadAccessor(model, index, type, out.values_, error);
    std::size_t length = 0;
    out.bytes_ = ViewBytes(model, a->bufferView, length) + a->byteOffset;
    out.size_ = static_cast<std::size_t>(ComponentSize(a->componentType));
    const std::size_t stride =
        model.bufferViews[static_cast<std::size_t>(a->bufferView)].byteStride;
    out.stride_ = stride != 0 ? stride : out.size_ * static_cast<std::size_t>(out.components_);
    out.componentType_ = a->componentType;
    out.normalized_ = a->normalized;
    return true;
}

bool ReadPlainIndices(const tinygltf::Model& model, int index, std::vector<std::uint32_t>& out,
                      std::string& error) {
    if (!PlainIndices(model, index)) {
        error = "accessor " + std::to_string(index) + " does not hold plain indices";
        return false;
    }
    const tinygltf::Accessor* a = CheckAccessor(model, index, TINYGLTF_TYPE_SCALAR, error);
    if (a == nullptr)
        return false;
    out.clear();
    out.reserve(a->count);
    ReadElements(model, a->bufferView, a->byteOffset, a->count, 1, a->componentType, false, &out);
    return true;
}

bool PlainIndices(const tinygltf::Model& model, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= model.accessors.size())
        return false;
    const tinygltf::Accessor& a = model.accessors[static_cast<std::size_t>(index)];
    const int type = a.componentType;
    return (type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
            type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
            type == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) &&
           !a.normalized && !a.sparse.isSparse && a.bufferView >= 0;
}

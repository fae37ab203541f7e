#include "tools/convert/export_buffer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tools/convert/export_lists.h"

namespace {

int TypeOf(int components) {
    switch (components) {
        case 1:
            return TINYGLTF_TYPE_SCALAR;
        case 2:
            return TINYGLTF_TYPE_VEC2;
        case 3:
            return TINYGLTF_TYPE_VEC3;
        case 16:
            return TINYGLTF_TYPE_MAT4;
        default:
            return TINYGLTF_TYPE_VEC4;
    }
}

template <typename T>
std::span<const unsigned char> Bytes(const std::vector<T>& values) {
    return {reinterpret_cast<const unsigned char*>(values.data()), values.size() * sizeof(T)};
}

}  // namespace

BufferBuilder::BufferBuilder(tinygltf::Model& model) : model_(model) {
    model_.buffers.assign(1, tinygltf::Buffer());
}

int BufferBuilder::View(std::span<const unsigned char> bytes, int target) {
    std::vector<unsigned char>& data = model_.buffers[0].data;
    data.resize((data.size() + 3) / 4 * 4, 0);
    tinygltf::BufferView view;
    view.buffer = 0;
    view.byteOffset = data.size();
    view.byteLength = bytes.size();
    view.target = target;
    data.insert(data.end(), bytes.begin(), bytes.end());
    return Append(model_.bufferViews, std::move(view));
}

int BufferBuilder::Accessor(int view, int componentType, int type, std::size_t count) {
    tinygltf::Accessor accessor;
    accessor.bufferView = view;
    accessor.componentType = componentType;
    accessor.type = type;
    accessor.count = count;
    return Append(model_.accessors, std::move(accessor));
}

int BufferBuilder::Floats(std::span<const float> values, int components, int target, bool bounds) {
    const int view =
        View({reinterpret_cast<const unsigned char*>(values.data()), values.size_bytes()}, target);
    const std::size_t count = values.size() / static_cast<std::size_t>(components);
    const int index = Accessor(view, TINYGLTF_COMPONENT_TYPE_FLOAT, TypeOf(components), count);
    if (bounds && count > 0) {
        tinygltf::Accessor& accessor = model_.accessors[static_cast<std::size_t>(index)];
        accessor.minValues.assign(values.begin(), values.begin() + components);
        accessor.maxValues = accessor.minValues;
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::size_t c = i % static_cast<std::size_t>(components);
            accessor.minValues[c] = std::min<double>(accessor.minValues[c], values[i]);
            accessor.maxValues[c] = std::max<double>(accessor.maxValues[c], values[i]);
        }
    }
    return index;
}

int BufferBuilder::Indices(std::span<const std::uint32_t> indices) {
    const std::uint32_t largest =
        indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
    // 65535 is the primitive-restart value, which glTF does not allow as an index.
    if (largest < 65535) {
        const std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
        return Accessor(View(Bytes(narrow), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_SCALAR,
                        indices.size());
    }
    const std::vector<std::uint32_t> wide(indices.begin(), indices.end());
    return Accessor(View(Bytes(wide), TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER),
                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT, TINYGLTF_TYPE_SCALAR, indices.size());
}

int BufferBuilder::Joints(std::span<const std::uint16_t> joints) {
    const std::uint16_t largest =
        joints.empty() ? 0 : *std::max_element(joints.begin(), joints.end());
    const std::size_t count = joints.size() / 4;
    if (largest <= 255) {
        const std::vector<std::uint8_t> narrow(joints.begin(), joints.end());
        return Accessor(View(Bytes(narrow), TINYGLTF_TARGET_ARRAY_BUFFER),
                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_TYPE_VEC4, count);
    }
    const std::vector<std::uint16_t> wide(joints.begin(), joints.end());
    return Accessor(View(Bytes(wide), TINYGLTF_TARGET_ARRAY_BUFFER),
                    TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_TYPE_VEC4, count);
}

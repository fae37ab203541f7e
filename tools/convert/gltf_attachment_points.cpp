#include "tools/convert/gltf_attachment_points.h"

#include <cmath>

namespace {

constexpr const char* kKey = "attachmentPoints";

}  // namespace

tinygltf::Value AttachmentPointsExtras(const MeshNode& node) {
    bool any = false;
    tinygltf::Value::Array coordinates;
    for (const float c : node.points) {
        any |= c != 0;
        coordinates.emplace_back(static_cast<double>(c));
    }
    if (!any)
        return {};
    tinygltf::Value::Object extras;
    extras.emplace(kKey, tinygltf::Value(std::move(coordinates)));
    return tinygltf::Value(std::move(extras));
}

bool ReadAttachmentPoints(const tinygltf::Value& extras, std::array<double, 9>& points) {
    if (!extras.IsObject() || !extras.Has(kKey))
        return false;
    const tinygltf::Value& list = extras.Get(kKey);
    if (!list.IsArray() || list.ArrayLen() != points.size())
        return false;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const tinygltf::Value& c = list.Get(static_cast<int>(i));
        if (!c.IsNumber() || !std::isfinite(c.GetNumberAsDouble()))
            return false;
        points[i] = c.GetNumberAsDouble();
    }
    return true;
}

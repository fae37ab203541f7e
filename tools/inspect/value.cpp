#include "tools/inspect/value.h"

#include <cstdio>

Value Value::Hash(std::uint32_t hash) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hash));
    return String(text);
}

Value Value::Reals(std::span<const float> values) {
    Value list = List();
    for (float v : values) {
        list.Append(Real(v));
    }
    return list;
}

Value& Value::Append(Value item) {
    items_.push_back(std::move(item));
    return items_.back();
}

Value& Value::Set(const std::string& key, Value value) {
    for (auto& field : fields_) {
        if (field.first == key) {
            field.second = std::move(value);
            return field.second;
        }
    }
    fields_.emplace_back(key, std::move(value));
    return fields_.back().second;
}

const Value* Value::Find(const std::string& key) const {
    for (const auto& field : fields_) {
        if (field.first == key)
            return &field.second;
    }
    return nullptr;
}

Value* Value::Find(const std::string& key) {
    return const_cast<Value*>(static_cast<const Value&>(*this).Find(key));
}

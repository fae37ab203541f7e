// A small tree of report values (numbers, strings, lists, objects with ordered fields): what
// the inspectors find, before it is written as text or as JSON.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

class Value {
  public:
    enum class Type { kNull, kBool, kInt, kReal, kString, kList, kObject };

    Value() = default;
    static Value Bool(bool b) { return Value(Type::kBool, b ? 1 : 0, 0.0, {}); }
    static Value Int(std::int64_t i) { return Value(Type::kInt, i, 0.0, {}); }
    static Value Real(double r) { return Value(Type::kReal, 0, r, {}); }
    static Value String(std::string s) { return Value(Type::kString, 0, 0.0, std::move(s)); }
    static Value List() { return Value(Type::kList, 0, 0.0, {}); }
    static Value Object() { return Value(Type::kObject, 0, 0.0, {}); }
    // "0x0046D2E"-style, eight hex digits: how name hashes are shown.
    static Value Hash(std::uint32_t hash);
    // A list of reals, e.g. a colour's three channels.
    static Value Reals(std::span<const float> values);

    Type type() const { return type_; }
    bool IsScalar() const { return type_ != Type::kList && type_ != Type::kObject; }
    bool AsBool() const { return int_ != 0; }
    std::int64_t AsInt() const { return int_; }
    double AsReal() const { return real_; }
    const std::string& AsString() const { return string_; }
    const std::vector<Value>& Items() const { return items_; }
    const std::vector<std::pair<std::string, Value>>& Fields() const { return fields_; }

    // Lists: appends and returns the new item. Objects: sets a field (in insertion order).
    Value& Append(Value item);
    Value& Set(const std::string& key, Value value);
    Value& Set(const std::string& key, std::int64_t i) { return Set(key, Int(i)); }
    Value& Set(const std::string& key, const std::string& s) { return Set(key, String(s)); }
    Value& Set(const std::string& key, const char* s) { return Set(key, String(s)); }
    // The field's value, or null when the object has none.
    const Value* Find(const std::string& key) const;
    Value* Find(const std::string& key);

  private:
    Value(Type type, std::int64_t i, double r, std::string s)
        : type_(type), int_(i), real_(r), string_(std::move(s)) {}

    Type type_ = Type::kNull;
    std::int64_t int_ = 0;
    double real_ = 0.0;
    std::string string_;
    std::vector<Value> items_;
    std::vector<std::pair<std::string, Value>> fields_;
};

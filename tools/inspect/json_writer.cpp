#include "tools/inspect/json_writer.h"

#include <cmath>
#include <cstdio>

namespace {

// The length of the UTF-8 sequence starting at text[i], or 0 when it is not one.
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    unsigned code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code >= minimum && code <= 0x10FFFF && !surrogate ? length : 0;
}

void AppendEscape(std::string& out, unsigned code) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04X", code);
    out += escape;
}

std::string Number(double r) {
    if (!std::isfinite(r)) {
        // JSON has no infinities: empty slabs hold them, so they are written as strings.
        return r != r ? "\"nan\"" : (r > 0 ? "\"inf\"" : "\"-inf\"");
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", r);
    return text;
}

void Write(const Value& value, std::string& out) {
    switch (value.type()) {
        case Value::Type::kNull:
            out += "null";
            break;
        case Value::Type::kBool:
            out += value.AsBool() ? "true" : "false";
            break;
        case Value::Type::kInt:
            out += std::to_string(value.AsInt());
            break;
        case Value::Type::kReal:
            out += Number(value.AsReal());
            break;
        case Value::Type::kString:
            out += JsonString(value.AsString());
            break;
        case Value::Type::kList: {
            out += '[';
            const char* separator = "";
            for (const Value& item : value.Items()) {
                out += separator;
                Write(item, out);
                separator = ",";
            }
            out += ']';
            break;
        }
        case Value::Type::kObject: {
            out += '{';
            const char* separator = "";
            for (const auto& [key, field] : value.Fields()) {
                out += separator;
                out += JsonString(key);
                out += ':';
                Write(field, out);
                separator = ",";
            }
            out += '}';
            break;
        }
    }
}

Value Strings(const std::vector<std::string>& texts) {
    Value list = Value::List();
    for (const std::string& text : texts)
        list.Append(Value::String(text));
    return list;
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, c);
        } else if (c >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            if (length == 0) {
                AppendEscape(out, c);
            } else {
                out.append(text, i, length);
                i += length;
                continue;
            }
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string JsonValue(const Value& value) {
    std::string out;
    Write(value, out);
    return out;
}

std::string JsonReport(const FileReport& report) {
    Value document = Value::Object();
    document.Set("file", report.path);
    document.Set("kind", report.kind);
    document.Set("valid", Value::Bool(report.Valid()));
    document.Set("problems", Strings(report.problems));
    document.Set("notes", Strings(report.notes));
    document.Set("summary", report.summary);
    return JsonValue(document);
}

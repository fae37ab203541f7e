#include "tools/inspect/text_writer.h"

#include <cstdio>

namespace {

// Lists of plain values longer than this are cut, with the number of the rest.
constexpr std::size_t kInlineItems = 12;

std::string Scalar(const Value& value) {
    switch (value.type()) {
        case Value::Type::kBool:
            return value.AsBool() ? "yes" : "no";
        case Value::Type::kInt:
            return std::to_string(value.AsInt());
        case Value::Type::kReal: {
            char text[32];
            std::snprintf(text, sizeof text, "%g", value.AsReal());
            return text;
        }
        case Value::Type::kString:
            return value.AsString();
        default:
            return "-";
    }
}

bool AllScalar(const Value& list) {
    for (const Value& item : list.Items()) {
        if (!item.IsScalar())
            return false;
    }
    return true;
}

std::string InlineList(const Value& list) {
    std::string text;
    for (std::size_t i = 0; i < list.Items().size(); ++i) {
        if (i == kInlineItems) {
            text += ", ... (" + std::to_string(list.Items().size() - i) + " more)";
            break;
        }
        text += (i == 0 ? "" : ", ") + Scalar(list.Items()[i]);
    }
    return text.empty() ? "none" : text;
}

void Block(const Value& object, int indent, std::string& out);

void Item(const Value& item, int indent, std::string& out) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    if (item.IsScalar()) {
        out += pad + "- " + Scalar(item) + "\n";
        return;
    }
    if (item.type() == Value::Type::kList) {
        out += pad + "- " + InlineList(item) + "\n";
        return;
    }
    std::string line;
    for (const auto& [key, field] : item.Fields()) {
        if (field.IsScalar())
            line += (line.empty() ? "" : ", ") + key + " " + Scalar(field);
    }
    out += pad + "- " + line + "\n";
    for (const auto& [key, field] : item.Fields()) {
        if (field.IsScalar())
            continue;
        if (field.type() == Value::Type::kList && AllScalar(field)) {
            out += pad + "  " + key + ": " + InlineList(field) + "\n";
        } else if (field.type() == Value::Type::kList) {
            // A tree's children sit right below their parent, one level further in.
            const int at = key == "children" ? indent + 2 : indent + 4;
            if (key != "children")
                out += pad + "  " + key + ":\n";
            for (const Value& child : field.Items())
                Item(child, at, out);
        } else {
            out += pad + "  " + key + ":\n";
            Block(field, indent + 4, out);
        }
    }
}

void Block(const Value& object, int indent, std::string& out) {
    const std::string pad(static_cast<std::size_t>(indent), ' ');
    for (const auto& [key, field] : object.Fields()) {
        if (field.IsScalar()) {
            out += pad + key + ": " + Scalar(field) + "\n";
        } else if (field.type() == Value::Type::kList && AllScalar(field)) {
            out += pad + key + ": " + InlineList(field) + "\n";
        } else if (field.type() == Value::Type::kList) {
            out += pad + key + ":\n";
            for (const Value& item : field.Items())
                Item(item, indent + 2, out);
        } else {
            out += pad + key + ":\n";
            Block(field, indent + 2, out);
        }
    }
}

}  // namespace

std::string TextReport(const FileReport& report) {
    std::string out = report.path + ": " + report.kind + "\n";
    Block(report.summary, 2, out);
    for (const std::string& note : report.notes)
        out += "  note: " + note + "\n";
    if (report.Valid()) {
        out += "  valid\n";
    } else {
        for (const std::string& problem : report.problems)
            out += "  problem: " + problem + "\n";
    }
    return out;
}

// Animations: name, frame and track counts, and the node each track moves.
#include "assets/name_hash.h"
#include "tools/inspect/inspectors.h"

FileReport InspectAnimation(const std::string& path, const Neighbours& neighbours,
                            Animation* loaded) {
    FileReport report(path, "animation");
    Animation animation;
    if (!report.Loaded([&](LoadError* error) { return animation.Load(path, error); }))
        return report;
    Value& s = report.summary;
    s.Set("name", animation.name);
    s.Set("frames", animation.frameCount);
    s.Set("tracks", animation.trackCount);
    Value& tracks = s.Set("track list", Value::List());
    for (std::size_t t = 0; t < animation.trackNames.size(); ++t) {
        Value& item = tracks.Append(Value::Object());
        item.Set("node", animation.trackNames[t]);
        item.Set("hash", Value::Hash(animation.trackHashes[t]));
        if (neighbours.mesh != nullptr &&
            neighbours.mesh->FindNode(animation.trackHashes[t]) == nullptr) {
            report.Note("track " + std::to_string(t) + " moves \"" + animation.trackNames[t] +
                        "\", which " + neighbours.meshPath + " has no node of");
        }
        for (std::size_t earlier = 0; earlier < t; ++earlier) {
            if (animation.trackHashes[earlier] == animation.trackHashes[t]) {
                report.Note("track " + std::to_string(t) + " names the node of track " +
                            std::to_string(earlier) + ", which wins");
                break;
            }
        }
    }
    if (animation.trailingBytes > 0) {
        report.Note(std::to_string(animation.trailingBytes) +
                    " bytes after the last track are ignored");
    }
    if (loaded != nullptr)
        *loaded = std::move(animation);
    return report;
}

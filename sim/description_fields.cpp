#include "sim/description_fields.h"

#include <unordered_map>

namespace sim::fields {
namespace {

// The members the reader of the document being parsed on this thread took; true: with all of
// their own members. Null outside ParseDocument.
thread_local std::unordered_map<const json*, bool>* taken = nullptr;

// Where the parser is, for the faults it finds before any reader runs.
class PathTracker {
 public:
  explicit PathTracker(std::string label) : label_(std::move(label)) {}

  bool Note(json::parse_event_t event, const json& parsed) {
    switch (event) {
      case json::parse_event_t::object_start:
      case json::parse_event_t::array_start:
        frames_.push_back({event == json::parse_event_t::array_start, Here(), "", 0, false});
        break;
      case json::parse_event_t::key:
        frames_.back().key = parsed.get<std::string>();
        frames_.back().started = true;
        break;
      case json::parse_event_t::value:
        Advance();
        break;
      case json::parse_event_t::object_end:
      case json::parse_event_t::array_end:
        frames_.pop_back();
        Advance();
        break;
    }
    return true;
  }

  // The path of the value being read now.
  std::string Here() const {
    if (frames_.empty()) return label_;
    const Frame& frame = frames_.back();
    if (frame.array) return frame.path + "[" + std::to_string(frame.index) + "]";
    return frame.started ? frame.path + "." + frame.key : frame.path;
  }

 private:
  struct Frame {
    bool array;
    std::string path;  // of the container itself
    std::string key;   // objects: the member being read
    size_t index;      // arrays: the element being read
    bool started;      // objects: a key was read
  };

  void Advance() {
    if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
  }

  std::string label_;
  std::vector<Frame> frames_;
};

// The first member, depth first, that no reader took.
std::optional<std::string> FindUnknownField(const json& value, const std::string& where) {
  if (value.is_object()) {
    for (const auto& [name, member] : value.items()) {
      const auto found = taken->find(&member);
      if (found == taken->end()) return where + "." + name + ": unknown field";
      if (found->second) continue;
      if (auto unknown = FindUnknownField(member, where + "." + name)) return unknown;
    }
  } else if (value.is_array()) {
    for (size_t i = 0; i < value.size(); ++i) {
      if (auto unknown = FindUnknownField(value[i], where + "[" + std::to_string(i) + "]")) {
        return unknown;
      }
    }
  }
  return std::nullopt;
}

// Makes taken point at a set of this parse for as long as it lives.
class TakenFields {
 public:
  TakenFields() : previous_(std::exchange(taken, &fields_)) {}
  ~TakenFields() { taken = previous_; }
  TakenFields(const TakenFields&) = delete;
  TakenFields& operator=(const TakenFields&) = delete;

 private:
  std::unordered_map<const json*, bool> fields_;
  std::unordered_map<const json*, bool>* previous_;
};

// Where the text stops being a document: the fault of a second parse that follows the path.
std::string LocateFault(std::string_view text, const std::string& label) {
  PathTracker tracker(label);
  try {
    const json parsed = json::parse(text, [&](int, json::parse_event_t event, json& value) {
      return tracker.Note(event, value);
    });
  } catch (const json::parse_error& error) {
    // The library's message reads "[json.exception.parse_error.101] parse error at line ...".
    std::string detail = error.what();
    const auto at = detail.find("parse error");
    if (at != std::string::npos) detail = detail.substr(at);
    return label + ": not valid JSON: " + detail + " (in " + tracker.Here() + ")";
  } catch (const json::exception&) {
    // A number beyond what a double holds, such as 1e400.
    return tracker.Here() + ": number out of range";
  }
  return label + ": not valid JSON";
}

}  // namespace

void NoteFieldTaken(const json& member) {
  if (taken != nullptr) taken->try_emplace(&member, false);
}

void NoteMembersTaken(const json& object) {
  if (taken != nullptr) (*taken)[&object] = true;
}

std::optional<std::string> ParseDocument(std::string_view text, const std::string& label,
                                         const std::function<void(const json& root)>& read) {
  // The path is followed only once the text is known to be at fault: it costs.
  json root = json::parse(text, nullptr, false);
  if (root.is_discarded()) return LocateFault(text, label);
  TakenFields fields;
  try {
    read(root);
  } catch (const FieldError& error) {
    return error.message();
  }
  return FindUnknownField(root, label);
}

}  // namespace sim::fields

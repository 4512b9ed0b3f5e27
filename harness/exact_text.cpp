#include "harness/exact_text.h"

#include "platform/sim/file_store.h"
#include "platform/sim/process_store.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/window_store.h"

namespace harness {
namespace {

// Every field is closed by a byte that cannot be in it, or preceded by its
// length, so two different machines never give the same text.
void AddField(const char* data, size_t size, std::string* text) {
  *text += std::to_string(size);
  *text += ':';
  text->append(data, size);
}

void TextOfKey(const sim::RegKey* key, std::string* text) {
  AddField(key->name.data(), key->name.size(), text);
  for (const auto& value : key->values()) {
    *text += 'v';
    AddField(value.second.name.data(), value.second.name.size(), text);
    *text += std::to_string(value.second.type);
    AddField(reinterpret_cast<const char*>(value.second.data.data()), value.second.data.size(), text);
  }
  for (const auto& child : key->subkeys) {
    *text += '(';
    TextOfKey(child.second.get(), text);
    *text += ')';
  }
}

}  // namespace

void TakeExactText(std::string* text) {
  text->clear();
  TextOfKey(sim::registry::Root(HKEY_LOCAL_MACHINE), text);
  TextOfKey(sim::registry::Root(HKEY_CURRENT_USER), text);
  sim::files::ForEach([text](const sim::files::FileEntry& entry) {
    *text += entry.directory ? 'd' : 'f';
    AddField(entry.path.data(), entry.path.size(), text);
    *text += std::to_string(entry.attributes);
    AddField(entry.content.data(), entry.content.size(), text);
  });
  for (const std::string& process : sim::processes::Running()) AddField(process.data(), process.size(), text);
  *text += '|';
  for (const std::string& title : sim::windows::AliveForeignWindowTitles()) AddField(title.data(), title.size(), text);
}

}  // namespace harness

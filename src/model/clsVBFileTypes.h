// The project item collection of one run: items in the order the project file parser added
// them, keyed "0", "1", ..., with a counter per source and library kind.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/clsVBFileType.h"
#include "text/CollectionValues.h"
#include "text/KeyedCollection.h"

namespace qs {

class clsVBFileTypes {
 public:
  using Items = KeyedCollection<std::shared_ptr<clsVBFileType>>;

  int32_t FormCount = 0;
  int32_t ReferenceCount = 0;
  int32_t UserControlCount = 0;
  int32_t UserDocumentCount = 0;
  int32_t ObjectCount = 0;
  int32_t PropertyPageCount = 0;
  int32_t ClassCount = 0;
  int32_t ModuleCount = 0;
  int32_t DesignerCount = 0;
  std::string StartupForm;  ///< set by the driver from the Startup item
  std::string IconForm;     ///< set by the driver from the IconForm item
  /// The project's kind from its Type line, as written ("Exe", "OleDll", ...); "" without one.
  std::string ProjectType;
  /// The value of the project's CondComp line without its quotes ("DEBUG = 1 : LOG = 0"), the
  /// conditional compilation constants; "" without one.
  std::string CondComp;

  /// Appends the item under the add counter's decimal value, then counts it by its kind. An
  /// empty pointer changes nothing; no memory for the item throws std::bad_alloc.
  void Add(std::shared_ptr<clsVBFileType> item);
  /// Removes the item under the key or at the 1-based position; nothing when there is none.
  void Remove(long index);
  void Remove(std::string_view key);
  int32_t Count() const { return static_cast<int32_t>(m_items.Count()); }
  bool Exists(std::string_view key) const { return m_items.Exists(key); }
  bool Exists(long index) const { return m_items.Exists(index); }
  /// The item under the key ("0", "1", ...) or at the 1-based position; empty when none.
  std::shared_ptr<clsVBFileType> Item(std::string_view key) const;
  std::shared_ptr<clsVBFileType> Item(long index) const;
  std::shared_ptr<clsVBFileType> Item(const char* key) const { return Item(std::string_view(key)); }
  bool Exists(const char* key) const { return Exists(std::string_view(key)); }

  /// Enumeration in the order the items were added (NewEnum): yields the items.
  auto begin() const { return ValueIterator<Items::Entry const*>(Data()); }
  auto end() const { return ValueIterator<Items::Entry const*>(Data() + m_items.Count()); }

 private:
  const Items::Entry* Data() const { return m_items.Count() ? &*m_items.begin() : nullptr; }
  void CountKind(int32_t eType);

  Items m_items;
  int32_t m_lAddCounter = 0;
};

}  // namespace qs

// The stand-in Maya host as its drivers (tests, the preview, mayahost) use it:
// load a plug-in, inspect what it registered, create nodes and evaluate them
// through per-thread data blocks.
//
// Attribute handles are resolved once by name and then address a value
// directly, so the per-sample calls of DataBlock (set, get, request) allocate
// nothing and take no lock once the block has its array elements.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#if defined(_WIN32)
#if defined(MAYAHOST_BUILDING_CORE)
#define MAYAHOST_API __declspec(dllexport)
#else
#define MAYAHOST_API __declspec(dllimport)
#endif
#else
#define MAYAHOST_API __attribute__((visibility("default")))
#endif

namespace mayahost {

namespace detail {
struct AttributeDef;
struct TypeRecord;
struct Block;
struct PluginRecord;
struct NodeRecord;
struct Access;
}  // namespace detail

// Status codes as the SDK's MStatus numbers them, in its order from
// kSuccess (0); OpenMaya holds each to MStatus's at compile time.
// clang-format off
#define MAYAHOST_STATUS_CODES(code) \
  code(kSuccess)                    \
  code(kFailure)                    \
  code(kInsufficientMemory)         \
  code(kInvalidParameter)           \
  code(kLicenseFailure)             \
  code(kUnknownParameter)           \
  code(kNotImplemented)             \
  code(kNotFound)                   \
  code(kEndOfFile)
// clang-format on
struct Status {
#define MAYAHOST_ENUMERATOR(code) code,
  enum Code { MAYAHOST_STATUS_CODES(MAYAHOST_ENUMERATOR) };
#undef MAYAHOST_ENUMERATOR
};

// MPxNode::kDependNode, the kind of node a plug-in registers here.
constexpr int kDependNode = 0;

// The Maya API this host implements ("800" or "850"): the MApiVersion a
// plug-in must have been built with.
MAYAHOST_API const char* apiVersion();

// How many MObjects are alive in Foundation: a plug-in's static handles
// count until the plug-in is unloaded.
MAYAHOST_API long liveObjects();

enum class AttributeKind { Float, Boolean, Compound, Address, LightData };

class Attribute;

struct AttributeInfo {
  std::string name, shortName;
  AttributeKind kind = AttributeKind::Float;
  bool keyable = false, storable = false, readable = false, writable = false, hidden = false,
       usedAsColor = false, array = false, connectable = false;
  // What a new data block starts from: one value for Float and Boolean, the
  // children's for a compound, and for light data direction (3), intensity
  // (3), ambient, diffuse, specular, shadow fraction, pre-shadow intensity.
  std::vector<double> defaults;
  const void* defaultAddress = nullptr;  // Address attributes and light data
  std::optional<double> min, max, softMin, softMax;
  std::vector<Attribute> children;
  std::vector<Attribute> affects;  // outputs named by attributeAffects, in call order
};

class MAYAHOST_API Attribute {
 public:
  Attribute() = default;
  explicit operator bool() const { return def_ != nullptr; }
  bool operator==(const Attribute& o) const { return def_ == o.def_; }
  bool operator!=(const Attribute& o) const { return def_ != o.def_; }
  std::string name() const;
  AttributeInfo info() const;

 private:
  friend struct detail::Access;
  friend class NodeType;
  friend class DataBlock;
  explicit Attribute(const detail::AttributeDef* def) : def_(def) {}
  const detail::AttributeDef* def_ = nullptr;
};

class MAYAHOST_API NodeType {
 public:
  std::string name() const;
  unsigned id() const;
  int kind() const;  // an MPxNode::Type
  std::optional<std::string> classification() const;
  std::vector<Attribute> attributes() const;  // top level, in add order
  // Any attribute of the type, children included, by long or short name;
  // an empty handle when there is none.
  Attribute attribute(const std::string& name) const;
  std::vector<std::pair<Attribute, Attribute>> affects() const;  // call order

 private:
  friend struct detail::Access;
  friend class Node;
  std::shared_ptr<detail::TypeRecord> type_;
};

MAYAHOST_API std::vector<NodeType> registeredTypes();
MAYAHOST_API std::optional<NodeType> findType(const std::string& name);

struct Float3 {
  float x, y, z;
};

// One thread's values of one node. Values of attributes inside an array
// attribute are addressed by element index; everything else ignores it.
// Setting an input marks the outputs it affects dirty.
class MAYAHOST_API DataBlock {
 public:
  ~DataBlock();
  DataBlock(const DataBlock&) = delete;
  DataBlock& operator=(const DataBlock&) = delete;

  // False, and nothing changed, when the attribute is not of that kind or
  // the element does not exist.
  bool setFloat(Attribute a, float value, unsigned element = 0);
  bool setBool(Attribute a, bool value, unsigned element = 0);
  bool setVector(Attribute a, float x, float y, float z, unsigned element = 0);
  bool setAddress(Attribute a, void* value, unsigned element = 0);
  float getFloat(Attribute a, unsigned element = 0) const;
  bool getBool(Attribute a, unsigned element = 0) const;
  Float3 getVector(Attribute a, unsigned element = 0) const;
  void* getAddress(Attribute a, unsigned element = 0) const;

  // Resizes an array attribute; new elements start from the defaults.
  bool setElementCount(Attribute array, unsigned count);
  unsigned elementCount(Attribute array) const;

  // Computes the plug when it is dirty, otherwise leaves the stored value.
  Status::Code request(Attribute plug);
  // Calls the node's compute for the plug whatever its state.
  Status::Code compute(Attribute plug);
  bool isDirty(Attribute a) const;
  // Every stored value and dirty mark, for checks that nothing changed.
  std::vector<unsigned char> snapshot() const;

 private:
  friend struct detail::Access;
  friend class Node;
  DataBlock() = default;
  std::unique_ptr<detail::Block> block_;
};

class MAYAHOST_API Node {
 public:
  // Runs the type's creator, then postConstructor, calling the node's
  // virtual functions by their slots in the published virtual table, as Maya
  // does; null and a message when the creator gives nothing or the node's
  // virtual table is not the API's.
  static std::unique_ptr<Node> create(const NodeType& type, std::string* error = nullptr);
  ~Node();
  Node(const Node&) = delete;
  Node& operator=(const Node&) = delete;

  const NodeType& type() const { return type_; }
  bool isMPSafe() const;
  // Each evaluating thread needs a block of its own.
  std::unique_ptr<DataBlock> newDataBlock() const;

 private:
  Node() = default;
  NodeType type_;
  void* instance_ = nullptr;  // the plug-in's node, an MPxNode
  detail::NodeRecord* record_ = nullptr;
};

struct Command {
  std::string text;
  bool displayEnabled, undoEnabled;
};
MAYAHOST_API std::vector<Command> commandLog();
MAYAHOST_API void clearCommandLog();

// A plug-in file loaded as Maya loads it: the library, its MApiVersion, and
// initializePlugin called with the plug-in's object.
class MAYAHOST_API Plugin {
 public:
  // Null and a one-line message naming the file and the cause for a missing
  // file, a file that is no loadable library (another machine's, one with an
  // import nothing provides), a library without the three plug-in exports, or
  // a plug-in built for another API version.
  static std::unique_ptr<Plugin> load(const std::string& path, std::string* error);
  // Unloads if still loaded.
  ~Plugin();
  Plugin(const Plugin&) = delete;
  Plugin& operator=(const Plugin&) = delete;

  // Calls uninitializePlugin and closes the library; refused (with a
  // message) while nodes of the plug-in's types exist.
  bool unload(std::string* error = nullptr);
  bool loaded() const;

  const std::string& path() const;
  std::string apiVersion() const;  // the MApiVersion text
  std::string vendor() const;
  std::string version() const;
  std::string requiredApiVersion() const;
  Status::Code initializeStatus() const;
  Status::Code uninitializeStatus() const;
  std::vector<NodeType> types() const;  // registered by this plug-in and still registered

 private:
  Plugin() = default;
  std::unique_ptr<detail::PluginRecord> record_;
};

MAYAHOST_API const char* kindName(AttributeKind kind);

}  // namespace mayahost

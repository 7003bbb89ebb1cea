// The boundary between the SDK classes a plug-in calls (OpenMaya) and the
// host's own records behind them. It is C, with plain types only, because on
// Windows the two sides are built in different C++ ABIs: OpenMaya in Maya's
// (Microsoft's), so that a plug-in built against the published devkit links
// and runs against it, and the host's internals in the test programs' (GNU).
//
// Attributes, plug-ins, blocks and nodes travel as opaque pointers; status
// values are MStatus::MStatusCode numbers.
#pragma once

#include <stddef.h>

#if defined(_WIN32)
#if defined(MAYAHOST_BUILDING_CORE)
#define MAYAHOST_CORE_API __declspec(dllexport)
#else
#define MAYAHOST_CORE_API __declspec(dllimport)
#endif
#else
#define MAYAHOST_CORE_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// What an MObject designates, in its tag.
enum { MAYAHOST_OBJECT_NONE = 0, MAYAHOST_OBJECT_ATTRIBUTE = 1, MAYAHOST_OBJECT_PLUGIN = 2 };

// The kind of an attribute's value, which decides what a handle may hand out.
enum {
  MAYAHOST_KIND_FLOAT = 0,
  MAYAHOST_KIND_BOOLEAN = 1,
  MAYAHOST_KIND_COMPOUND = 2,
  MAYAHOST_KIND_ADDRESS = 3,
  MAYAHOST_KIND_LIGHTDATA = 4,
  MAYAHOST_KIND_NONE = -1
};

enum {
  MAYAHOST_FLAG_KEYABLE,
  MAYAHOST_FLAG_STORABLE,
  MAYAHOST_FLAG_READABLE,
  MAYAHOST_FLAG_WRITABLE,
  MAYAHOST_FLAG_HIDDEN,
  MAYAHOST_FLAG_USED_AS_COLOR,
  MAYAHOST_FLAG_ARRAY,
  MAYAHOST_FLAG_CONNECTABLE
};

enum { MAYAHOST_LIMIT_MIN, MAYAHOST_LIMIT_MAX, MAYAHOST_LIMIT_SOFT_MIN, MAYAHOST_LIMIT_SOFT_MAX };

// What an MDataHandle carries (16 bytes on 32-bit targets, 28 on 64-bit):
// the value's storage, or null when the handle designates nothing.
typedef struct mayahost_handle {
  const void* attribute;
  void* data;
  void* block;
  int kind;
} mayahost_handle;

// What an MArrayDataHandle carries (20 bytes on 32-bit targets).
typedef struct mayahost_array {
  const void* attribute;
  void* block;
  unsigned int index;
  unsigned int count;
  unsigned int reported;
} mayahost_array;

// Attribute initialisers. A numeric attribute is of MAYAHOST_KIND_FLOAT or
// MAYAHOST_KIND_BOOLEAN; any other kind is not implemented.
MAYAHOST_CORE_API void* mayahost_numeric_create(const char* name, const char* shortName, int kind,
                                                double defaultValue, int* status);
MAYAHOST_CORE_API void* mayahost_compound_create(const char* name, const char* shortName,
                                                 const void* const children[3], int* status);
MAYAHOST_CORE_API void* mayahost_address_create(const char* name, const char* shortName,
                                                void* defaultValue, int* status);
MAYAHOST_CORE_API void* mayahost_lightdata_create(const char* name, const char* shortName,
                                                  const void* const children[8], int* status);
MAYAHOST_CORE_API int mayahost_attribute_kind(const void* attribute);
MAYAHOST_CORE_API int mayahost_attribute_set_flag(void* attribute, int flag, int state);
MAYAHOST_CORE_API int mayahost_attribute_flag(const void* attribute, int flag, int* state);
// count is 1 or 3.
MAYAHOST_CORE_API int mayahost_attribute_set_default(void* attribute, const double* values,
                                                     int count);
MAYAHOST_CORE_API int mayahost_lightdata_set_default(void* attribute, const float values[8],
                                                     const int switches[3], void* blindData);
MAYAHOST_CORE_API int mayahost_attribute_set_limit(void* attribute, int limit, double value);
MAYAHOST_CORE_API const char* mayahost_attribute_name(const void* attribute, int shortName);

// Plug-ins and node types.
MAYAHOST_CORE_API int mayahost_plugin_identify(void* plugin, const char* vendor,
                                               const char* version, const char* requiredApi);
// Between begin and end the registering thread runs the type's initialiser,
// whose attribute calls land on the type; end publishes the type when the
// initialiser succeeded. No lock is held in between.
MAYAHOST_CORE_API int mayahost_register_begin(void* plugin, const char* typeName,
                                              unsigned int typeId, void* (*creator)(void),
                                              int nodeKind, const char* classification);
MAYAHOST_CORE_API int mayahost_register_end(int initializerStatus);
MAYAHOST_CORE_API int mayahost_deregister(void* plugin, unsigned int typeId);
MAYAHOST_CORE_API int mayahost_add_attribute(const void* attribute);
MAYAHOST_CORE_API int mayahost_attribute_affects(const void* whenChanges, const void* isAffected);
MAYAHOST_CORE_API int mayahost_execute_command(const char* command, int display, int undo);

// A node's host record, made when MPxNode is constructed.
MAYAHOST_CORE_API void* mayahost_node_constructed(void);
MAYAHOST_CORE_API void mayahost_node_destroyed(void* record);
MAYAHOST_CORE_API void mayahost_node_set_mpsafe(void* record, int flag);

// Data blocks during compute.
MAYAHOST_CORE_API int mayahost_block_value(void* block, const void* attribute,
                                           mayahost_handle* out);
MAYAHOST_CORE_API int mayahost_block_array(void* block, const void* attribute, mayahost_array* out);
MAYAHOST_CORE_API int mayahost_handle_array(const mayahost_handle* handle, mayahost_array* out);
MAYAHOST_CORE_API int mayahost_array_element(const mayahost_array* array, mayahost_handle* out);
MAYAHOST_CORE_API int mayahost_handle_child(const mayahost_handle* handle, const void* child,
                                            mayahost_handle* out);
// Zeroed storage for a handle that designates nothing of the asked kind.
MAYAHOST_CORE_API void* mayahost_scratch(void* block);
MAYAHOST_CORE_API void mayahost_handle_set_clean(const mayahost_handle* handle);

// The host's calls into a plug-in's own code, made by OpenMaya (see
// src/sdk/pluginCalls.cpp) in the plug-in's ABI. Statuses and kinds are
// MStatus and MPxNode::Type numbers, booleans 0 or 1.
typedef struct mayahost_calls {
  // initializePlugin or uninitializePlugin, given the plug-in's object.
  int (*entry)(void* entryPoint, void* plugin);
  // The record that MPxNode's constructor made with mayahost_node_constructed.
  void* (*nodeRecord)(const void* node);
  void (*postConstructor)(void* node);
  int (*compute)(void* node, const void* plug, void* block);
  int (*type)(const void* node);
  int (*isAbstractClass)(const void* node);
  // delete: the node's virtual destructor, then the plug-in's operator delete.
  void (*destroy)(void* node);
} mayahost_calls;

// Exported by OpenMaya. On Windows the host's records are built apart from
// OpenMaya.dll, which links them, so the host finds this there by name.
#if !defined(_WIN32)
MAYAHOST_CORE_API const mayahost_calls* mayahost_plugin_calls(void);
#endif

#ifdef __cplusplus
}
#endif

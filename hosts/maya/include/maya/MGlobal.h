#pragma once

#include <maya/MLibraryExport.h>
#include <maya/MStatus.h>
#include <maya/MString.h>

class OPENMAYA_EXPORT MGlobal {
 public:
  // There is no command interpreter here: the command is logged and succeeds.
  static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                bool undoEnabled = false);
};

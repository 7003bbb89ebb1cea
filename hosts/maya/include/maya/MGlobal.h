#pragma once

#include <maya/MTypes.h>

class MCommandResult;
class MDoubleArray;
class MIntArray;
class MStatus;
class MString;
class MStringArray;

class OPENMAYA_EXPORT MGlobal {
 public:
  // There is no command interpreter here: a command is logged and succeeds.
  // The forms that return a result answer kNotImplemented.
  static MStatus executeCommand(const MString& command, bool displayEnabled = false,
                                bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, MCommandResult& result,
                                bool displayEnabled = false, bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, int& result, bool displayEnabled = false,
                                bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, MIntArray& result,
                                bool displayEnabled = false, bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, double& result, bool displayEnabled = false,
                                bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, MDoubleArray& result,
                                bool displayEnabled = false, bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, MString& result,
                                bool displayEnabled = false, bool undoEnabled = false);
  static MStatus executeCommand(const MString& command, MStringArray& result,
                                bool displayEnabled = false, bool undoEnabled = false);

 private:
  ~MGlobal();
};

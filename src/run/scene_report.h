// The scene of a finished run as a JSON document: the stand-in host's scene with the run's record
// beside it (source file, options, warnings, names in the file, how each map was found). The tool
// and the test host write it through here, so both write the same bytes for the same run.
#pragma once
#include <atomic>
#include <ostream>
#include <string>

#include "host/scene_json.h"
#include "model/import_model.h"

namespace qf {

// What the run adds beside the scene. objPath is the OBJ file as the run was given it.
XSI::standin::SceneRunRecord recordOfRun(const ObjImporter& importer, const std::string& objPath);

// Writes the scene and the run's record, followed by a line break. False when writing failed or
// the cancel flag was set meanwhile (the file is then incomplete).
bool writeRunSceneJson(std::ostream& out, const ObjImporter& importer, const std::string& objPath,
                       const std::atomic<bool>* cancel = nullptr);

}  // namespace qf

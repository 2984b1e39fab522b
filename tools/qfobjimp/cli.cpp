#include "qfobjimp/cli.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iomanip>
#include <new>
#include <sstream>
#include <vector>

#include "dialogs/object_selection.h"
#include "host/host_scene.h"
#include "host/json_writer.h"
#include "materials/mtl_reader.h"
#include "materials/paths.h"
#include "model/fixed_text.h"
#include "model/import_model.h"
#include "model/string_table.h"
#include "obj/input_source.h"
#include "obj/obj_parser.h"
#include "obj/prescan.h"
#include "qfobjimp/arguments.h"
#include "qfobjimp/console_ui.h"
#include "qfobjimp/number_text.h"
#include "qfobjimp/output_file.h"
#include "qfobjimp/terminal_progress.h"
#include "run/config_file.h"
#include "run/import_run.h"
#include "run/run_paths.h"
#include "run/scene_report.h"
#include "run/workers.h"
#include "scene/map_lookup.h"
#include "scene/mesh_builder.h"

#if defined(QF_HAVE_GLTF)
#include "gltf/gltf_export.h"
#endif

#if defined(_WIN32)
#include <windows.h>
#endif

#ifndef QF_VERSION
#define QF_VERSION "0"
#endif

namespace qf {

namespace {

namespace fs = std::filesystem;

// Shows the passes' reports on the terminal: phases and the bar; keeps the message box text.
class ConsoleLink final : public DialogLink {
public:
    ConsoleLink(TerminalProgress& progress, const ObjImporter& importer) : progress_(progress), importer_(importer) {}
    intptr_t send(DialogMessage code, uintptr_t wParam, intptr_t lParam) override {
        switch (code) {
        case DialogMessage::ScanProgress:
        case DialogMessage::Progress:
            if (importer_.progressTotal > 0)
                progress_.setFraction(double(uint64_t(lParam)) / double(importer_.progressTotal));
            break;
        case DialogMessage::Phase:
            if (wParam) progress_.setPhase(loadText(int(wParam)));
            break;
        case DialogMessage::Fraction:
            progress_.setFraction(*reinterpret_cast<const float*>(lParam));
            break;
        default:
            break;
        }
        return 0;
    }
    void addObjectRows(const ObjectRow*, size_t) override {}
    void showMessage(int textId) override { message = loadText(textId); }
    std::string message;

private:
    TerminalProgress& progress_;
    const ObjImporter& importer_;
};

// A usage error: what is wrong, the verb's usage line and where to read more; exit code 2.
int usageError(std::ostream& err, const Arguments& args, const std::string& what) {
    err << "qfobjimp: " << what << "\n"
        << usageText(args.verb) << "Try 'qfobjimp " << (args.verb == Verb::None ? "" : args.verbName + " ")
        << "--help' for more information.\n";
    return 2;
}

// The system's texts may hold line breaks (they were written for message boxes): on a console
// one message is one line.
std::string oneLine(const char* text) {
    std::string line;
    for (const char* p = text; *p; ++p) {
        if (*p == '\n' || *p == '\r') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else if (*p != ' ' || line.empty() || line.back() != ' ') {
            line += *p;
        }
    }
    return line;
}

// The error that ended the passes, with the place it belongs to: "model.obj:1234: text" when it
// was found on a line, "qfobjimp: model.obj: text" otherwise.
void reportError(std::ostream& err, const std::string& path, const ObjImporter& importer) {
    if (importer.errorLine != 0) err << path << ":" << importer.errorLine << ": " << oneLine(importer.errorText) << "\n";
    else err << "qfobjimp: " << path << ": " << oneLine(importer.errorText) << "\n";
}

std::string describeOpenFailure(const std::string& path) {
    switch (inputPathKind(path)) {
    case InputPathKind::Missing: return "no such file";
    case InputPathKind::Folder: return "it is a folder";
    case InputPathKind::NotAFile: return "not a regular file (a device or a pipe)";
    case InputPathKind::RegularFile: break;
    }
    return std::strerror(errno);
}

// True when the path names a file the readers can open; false after a message.
bool checkReadable(const std::string& path, std::ostream& err) {
    if (FileSource::open(path)) return true;
    err << "qfobjimp: cannot read '" << path << "': " << describeOpenFailure(path) << "\n";
    return false;
}

// Paths go to the file system library through the program's code page, and come back through it:
// on Windows the library's own narrow spelling is another one, which names another file.
std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const fs::path absolute = fs::absolute(fileSystemPath(path), ec);
    std::string spelled;
    return !ec && narrowName(absolute, spelled) ? spelled : path;
}

// The importer keeps its paths in fixed fields: a longer one would be cut, and the cut path
// names another file or folder. Such a path is refused, never read in part.
bool fitsPathField(const std::string& path) { return path.size() < size_t(kPathSize); }

std::string tooLong(const std::string& path) {
    return "cannot read '" + path + "': its full path is longer than the " + std::to_string(kPathSize - 1) +
           " characters the importer keeps";
}

// What is wrong with the --config path, if anything.
std::string configPathProblem(const Arguments& args) {
    if (!args.configPath || fitsPathField(*args.configPath)) return "";
    return "--config takes a path of at most " + std::to_string(kPathSize - 1) + " characters";
}

// Whether two paths name one file, the one existing or not: links and "." or ".." do not hide it.
bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::exists(fileSystemPath(a), ec) && fs::exists(fileSystemPath(b), ec))
        return fs::equivalent(fileSystemPath(a), fileSystemPath(b), ec) && !ec;
    auto resolved = [&ec](const std::string& path) {
        const fs::path absolute = fs::absolute(fileSystemPath(pathBehindLinks(path)), ec);
        return ec ? fs::path() : fs::weakly_canonical(absolute, ec);
    };
    const fs::path left = resolved(a);
    if (ec) return false;
    const fs::path right = resolved(b);
    return !ec && left == right;
}

// Whether a file stands where the options are to be written that is not an options file (an
// empty one included), or that cannot be read: it is not replaced by one. One of the format but
// damaged is.
bool holdsSomethingElse(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(fileSystemPath(path), ec);
    if (ec || !fs::exists(status)) return false;
    if (!fs::is_regular_file(status)) return true;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return true;
    unsigned char mark[4] = {};
    const size_t got = std::fread(mark, 1, sizeof mark, f);
    std::fclose(f);
    return got < 4 || mark[0] != kConfigFormatMark || mark[1] != 0 || mark[2] != 0 || mark[3] != 0;
}

std::string notAnOptionsFile(const std::string& path) {
    return "'" + path + "' cannot be read as an options file; it is left as it is";
}

// Opens the OBJ file of a verb and readies the importer for the passes; false after a message.
bool openObjFile(const std::string& path, ObjImporter& importer, std::unique_ptr<FileSource>& file,
                 std::ostream& err) {
    if (!fitsPathField(absolutePath(path))) {
        err << "qfobjimp: " << tooLong(path) << "\n";
        return false;
    }
    file = FileSource::open(path);
    if (!file) {
        err << "qfobjimp: cannot read '" << path << "': " << describeOpenFailure(path) << "\n";
        return false;
    }
    importer.progressTotal = fileSize(path);
    importer.objFile = file.get();
    setRunPaths(importer, absolutePath(path).c_str());
    if (!importer.lineBuffer.allocate(kLineBufferSize)) {
        err << "qfobjimp: out of memory\n";
        return false;
    }
    return true;
}

// The options file of a run: --config, or the one beside the program (none when the program's
// folder is too deep for its path).
void setConfigPath(ObjImporter& importer, const Arguments& args, const char* argv0) {
    if (args.configPath) copyBounded(importer.configPath, args.configPath->c_str());
    else configPathBeside(executablePath(argv0).c_str(), importer.configPath);
}

std::string noOptionsFile() {
    return "the program's folder is too deep for an options file beside it (its path would pass " +
           std::to_string(kPathSize - 1) + " characters); name one with --config";
}

// The one message of a run in which nothing could be imported.
void reportNothingToImport(std::ostream& err, const std::string& path, const ObjImporter& importer,
                           const std::string& pattern) {
    bool listed = false;
    for (const auto& o : importer.objects) listed = listed || o->polygonCount > 0;
    if (listed) err << "qfobjimp: " << path << ": no object matches --select '" << pattern << "'\n";
    else err << "qfobjimp: " << path << ": " << loadText(IDS_NOTHING_TO_IMPORT) << "\n";
}

int scanCommand(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.operands.size() != 1) return usageError(err, args, "scan: expected one OBJ file");
    const std::string& path = args.operands[0];
    ObjImporter importer;
    std::unique_ptr<FileSource> file;
    if (!openObjFile(path, importer, file, err)) return 1;
    TerminalProgress progress;
    progress.setPhase("scanning " + fs::path(path).filename().string());
    ConsoleLink link(progress, importer);
    {
        InterruptScope interrupt(importer.aborted);
        prescanObj(importer, link);
    }
    progress.finish();
    if (ConsoleUi::interrupted) {
        err << "qfobjimp: scan cancelled\n";
        return 130;
    }
    if (importer.errorText[0]) {
        reportError(err, path, importer);
        return 1;
    }

    if (args.json) {
        JsonWriter json(out);
        json.beginObject();
        json.key("vertexTotal").value(importer.vertexTotal);
        json.key("normalTotal").value(importer.normalTotal);
        json.key("texCoordTotal").value(importer.texCoordTotal);
        json.key("materialLibraries").beginArray();
        for (const auto& l : importer.materialLibraries) json.value(l);
        json.endArray();
        json.key("objects").beginArray();
        for (const auto& o : importer.objects) {
            json.beginObject();
            json.key("name").value(o->name);
            json.key("vertexCount").value(o->vertexCount);
            json.key("normalCount").value(o->normalCount);
            json.key("texCoordCount").value(o->texCoordCount);
            json.key("polygonCount").value(o->polygonCount);
            json.key("indexCount").value(o->indexCount);
            json.endObject();
        }
        json.endArray();
        json.endObject();
        json.raw("\n");
        return 0;
    }

    out << path << ": " << withThousands(importer.progressTotal) << " bytes\n";
    if (!link.message.empty()) out << link.message << "\n";
    if (!importer.objects.empty()) {
        out << std::left << std::setw(32) << "Name" << std::right << std::setw(14) << "Polygons"
            << std::setw(14) << "Vertices" << std::setw(14) << "Tex. vertices" << "\n";
        for (const auto& o : importer.objects) {
            out << std::left << std::setw(32) << o->name << std::right << std::setw(14)
                << withThousands(uint64_t(o->polygonCount)) << std::setw(14)
                << withThousands(uint64_t(o->vertexCount)) << std::setw(14)
                << withThousands(uint64_t(o->texCoordCount));
            if (o->polygonCount == 0) out << "  (no polygons: not listed)";
            out << "\n";
        }
    }
    out << "Objects: " << withThousands(importer.objects.size()) << "\n";
    out << "Vertices: " << withThousands(uint64_t(importer.vertexTotal))
        << "  Texture vertices: " << withThousands(uint64_t(importer.texCoordTotal))
        << "  Normals: " << withThousands(uint64_t(importer.normalTotal)) << "\n";
    out << "Material libraries:";
    if (importer.materialLibraries.empty()) out << " none";
    for (const auto& l : importer.materialLibraries) out << " \"" << l << "\"";
    out << "\n";
    return 0;
}

int parseCommand(const Arguments& args, const char* argv0, std::ostream& out, std::ostream& err) {
    if (args.operands.size() != 1) return usageError(err, args, "parse: expected one OBJ file");
    const std::string& path = args.operands[0];
    if (const std::string problem = configPathProblem(args); !problem.empty()) return usageError(err, args, problem);
    ObjImporter importer;
    setConfigPath(importer, args, argv0);
    loadOptions(importer);
    std::string optionError;
    if (!applyOptionFlags(args.optionFlags, importer.options, optionError))
        return usageError(err, args, optionError);
    std::unique_ptr<FileSource> file;
    if (!openObjFile(path, importer, file, err)) return 1;
    TerminalProgress progress;
    ConsoleLink link(progress, importer);
    progress.setPhase("scanning " + fs::path(path).filename().string());
    bool chosen = false;
    {
        InterruptScope interrupt(importer.aborted);
        prescanObj(importer, link);
        chosen = !importer.aborted && !importer.errorText[0] && selectObjects(importer, args.select.c_str()) > 0;
        if (chosen) importWorkerBody(importer, link);
    }
    progress.finish();
    if (ConsoleUi::interrupted) {
        err << "qfobjimp: parse cancelled\n";
        return 130;
    }
    if (importer.errorText[0]) {
        reportError(err, path, importer);
        return 1;
    }
    if (!chosen) {
        reportNothingToImport(err, path, importer, args.select);
        return 1;
    }

    if (args.json) {
        JsonWriter json(out);
        json.beginObject();
        json.key("meshes").beginArray();
        for (const auto& named : importer.meshes) {
            const Mesh& m = named->mesh;
            json.beginObject();
            json.key("name").value(named->name);
            json.key("vertexCount").value(m.vertexCount);
            json.key("texCoordCount").value(m.texCoordCount);
            json.key("polygonCount").value(m.polygonCount);
            json.key("cornerCount").value(m.vertexIndexFill);
            json.endObject();
        }
        json.endArray();
        json.key("clusters").beginArray();
        for (const auto& o : importer.objects)
            if (makesObjectCluster(importer, *o)) {
                json.beginObject();
                json.key("name").value(o->name);
                json.key("polygonCount").value(int64_t(o->clusterPolygons.GetCount()));
                json.endObject();
            }
        json.endArray();
        json.key("materials").beginArray();
        for (const auto& m : importer.materials) json.value(m->name);
        json.endArray();
        json.key("warnings").beginArray();
        for (const auto& w : importer.warnings) json.value(w);
        json.endArray();
        json.endObject();
        json.raw("\n");
        return 0;
    }

    if (!importer.meshes.empty())
        out << std::left << std::setw(32) << "Mesh" << std::right << std::setw(14) << "Vertices" << std::setw(14)
            << "Polygons" << std::setw(14) << "Corners" << std::setw(14) << "Tex. vertices" << "\n";
    for (const auto& named : importer.meshes) {
        const Mesh& m = named->mesh;
        out << std::left << std::setw(32) << named->name << std::right << std::setw(14)
            << withThousands(uint64_t(m.vertexCount)) << std::setw(14) << withThousands(uint64_t(m.polygonCount))
            << std::setw(14) << withThousands(uint64_t(m.vertexIndexFill)) << std::setw(14)
            << withThousands(uint64_t(m.texCoordCount)) << "\n";
    }
    for (const auto& o : importer.objects)
        if (makesObjectCluster(importer, *o))
            out << "  cluster " << o->name << ": " << withThousands(uint64_t(o->clusterPolygons.GetCount()))
                << " polygons\n";
    out << "Materials read: " << withThousands(importer.materials.size()) << "\n";
    for (const auto& w : importer.warnings) out << "warning: " << w << "\n";
    return 0;
}

// What a finished import built, in one line.
std::string summaryLine(const ObjImporter& importer, double seconds, const std::vector<std::string>& written) {
    const auto& scene = XSI::standin::HostScene::instance();
    uint64_t meshes = 0, polygons = 0, vertices = 0;
    for (int id : scene.children(scene.root(), XSI::standin::ItemKind::Object)) {
        const auto& object = scene.item(id);
        if (!object.built) continue;
        ++meshes;
        polygons += object.polygonSizes.size();
        vertices += object.positions.size() / 3;
    }
    std::ostringstream line;
    line << "imported " << countOf(meshes, "mesh", "meshes") << ", " << countOf(polygons, "polygon", "polygons")
         << ", " << countOf(vertices, "vertex", "vertices") << ", "
         << countOf(importer.hostMaterials.size(), "material", "materials") << ", "
         << countOf(importer.createdClipNames.size(), "clip", "clips") << ", "
         << countOf(importer.warnings.size(), "warning", "warnings") << " in " << std::fixed << std::setprecision(2)
         << seconds << " s";
    for (size_t i = 0; i < written.size(); ++i) line << (i ? " and " : "; written to ") << written[i];
    return line.str();
}

int importCommand(const Arguments& args, const char* argv0, std::ostream& out, std::ostream& err) {
    const auto started = std::chrono::steady_clock::now();
    if (args.operands.size() != 1) return usageError(err, args, "import: expected one OBJ file");
    const std::string& path = args.operands[0];
    {
        ImportOptions check;
        std::string optionError;
        if (!applyOptionFlags(args.optionFlags, check, optionError)) return usageError(err, args, optionError);
    }
    bool binaryGltf = false;
    if (args.gltfPath) {
        std::string extension = fs::path(*args.gltfPath).extension().string();
        for (char& c : extension) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (extension != ".gltf" && extension != ".glb")
            return usageError(err, args, "--gltf takes a file name ending in .gltf or .glb");
        binaryGltf = extension == ".glb";
#if !defined(QF_HAVE_GLTF)
        err << "qfobjimp: this build of qfobjimp has no glTF export\n";
        return 1;
#endif
    }
    if (!fitsPathField(absolutePath(path))) {
        err << "qfobjimp: " << tooLong(path) << "\n";
        return 1;
    }
    if (!checkReadable(path, err)) return 1;
    if (const std::string problem = configPathProblem(args); !problem.empty()) return usageError(err, args, problem);
    if (args.saveOptions) {
        for (const std::string& folder : args.searchFolders) {
            if (folder.find_first_of("\r\n") != std::string::npos)
                return usageError(err, args, "--search-path: a folder kept in the options file cannot hold a line break");
            if (!fitsPathField(absolutePath(folder)))
                return usageError(err, args, "--search-path: a folder kept in the options file takes at most " +
                                                 std::to_string(kPathSize - 1) + " characters");
        }
    }

    // No output may take the place of the OBJ file or of another output: a slip of the keyboard
    // must not cost the user the file being imported.
    std::vector<std::pair<std::string, std::string>> outputs;  // flag, path
    if (args.scenePath) outputs.emplace_back("--scene", *args.scenePath);
    if (args.gltfPath) outputs.emplace_back("--gltf", *args.gltfPath);
    if (args.saveOptions) {
        ObjImporter paths;
        setConfigPath(paths, args, argv0);
        if (!paths.configPath[0]) {
            err << "qfobjimp: " << noOptionsFile() << "\n";
            return 1;
        }
        outputs.emplace_back(args.configPath ? "--config" : "the options file", paths.configPath);
        if (holdsSomethingElse(paths.configPath)) {
            err << "qfobjimp: " << notAnOptionsFile(paths.configPath) << "\n";
            return 1;
        }
    }
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (sameFile(outputs[i].second, path))
            return usageError(err, args, outputs[i].first + " names the OBJ file being imported");
        for (size_t j = 0; j < i; ++j)
            if (sameFile(outputs[i].second, outputs[j].second))
                return usageError(err, args, outputs[j].first + " and " + outputs[i].first + " name the same file");
    }

    // The output files are opened first, so that a path that cannot be written fails at once
    // and not after the import.
    OutputFile sceneFile, gltfFile;
    std::string error;
    if ((args.scenePath && !sceneFile.open(*args.scenePath, error)) ||
        (args.gltfPath && !gltfFile.open(*args.gltfPath, error))) {
        err << "qfobjimp: " << error << "\n";
        return 1;
    }

    ConsoleChoices choices;
    choices.select = args.select;
    choices.optionFlags = args.optionFlags;
    // Full paths, as the folder chooser gives them: the warnings name them and --save-options
    // keeps the last one for runs started from other folders.
    for (const std::string& folder : args.searchFolders) choices.searchFolders.push_back(absolutePath(folder));
    choices.saveOptions = args.saveOptions;
    ConsoleUi ui(choices, out);
    ObjImporter importer;
    InterruptScope interrupt(importer.aborted);

    const std::string module = executablePath(argv0);
    const int result = runImport(importer, absolutePath(path).c_str(), module.c_str(), ui,
                                 args.configPath ? args.configPath->c_str() : nullptr);
    if (ui.cancelled()) {
        err << "qfobjimp: import cancelled\n";
        return 130;
    }
    if (!result) {
        if (importer.errorText[0]) reportError(err, path, importer);
        else if (!ui.messages().empty()) err << "qfobjimp: " << oneLine(ui.messages().back().c_str()) << "\n";
        else err << "qfobjimp: " << path << ": the import failed\n";
        return 1;
    }
    if (importer.countSelectedObjects() == 0) {
        reportNothingToImport(err, path, importer, args.select);
        return 1;
    }

    // Nor the files the import read beside the OBJ file: its libraries and its maps.
    std::vector<std::string> read = importer.libraryFilesRead;
    for (const auto& material : importer.materials)
        for (const auto& map : material->maps)
            if (const MapLookupResult* lookup = mapLookupResult(importer, *map); lookup && lookup->found)
                read.push_back(lookup->path);
    for (const auto& [flag, output] : outputs) {
        for (const std::string& input : read)
            if (sameFile(output, input))
                return usageError(err, args, flag + " names '" + input + "', which the import read; nothing was written");
    }

    // An output that is standard output itself comes after the warnings already printed there.
    out.flush();
    // Both files are written before either takes its name: a cancel or a failure leaves both
    // earlier files as they were.
    const std::string source = absolutePath(path);
    std::string failure;  // the file that could not be made, and why
    if (args.scenePath) {
        try {
            FileStreamBuffer buffer(sceneFile.stream());
            std::ostream stream(&buffer);
            if (!writeRunSceneJson(stream, importer, source, &importer.aborted))
                failure = "cannot write '" + sceneFile.path() + "'";
        } catch (const std::bad_alloc&) {
            failure = "cannot write '" + sceneFile.path() + "': not enough memory for the scene file";
        }
    }
#if defined(QF_HAVE_GLTF)
    if (args.gltfPath && failure.empty() && !ui.cancelled()) {
        FileStreamBuffer buffer(gltfFile.stream());
        std::ostream stream(&buffer);
        GltfTarget target;
        target.binary = binaryGltf;
        target.folder = fs::path(absolutePath(*args.gltfPath)).parent_path().string();
        target.cancel = &importer.aborted;
        std::vector<std::string> notes;
        error.clear();
        if (!writeGltf(stream, importer, source, target, notes, error) || !stream.flush())
            failure = "cannot write '" + gltfFile.path() + "'" + (error.empty() ? "" : ": " + error);
        for (const std::string& note : notes) out << note << "\n";
    }
#else
    (void)binaryGltf;
#endif
    if (ui.cancelled()) {
        err << "qfobjimp: import cancelled\n";
        return 130;
    }
    if (!failure.empty()) {
        err << "qfobjimp: " << failure << "\n";
        return 1;
    }
    std::vector<std::string> written;
    for (OutputFile* file : {&sceneFile, &gltfFile}) {
        if (!file->stream()) continue;
        if (!file->commit(error)) {
            err << "qfobjimp: " << error << "\n";
            return 1;
        }
        written.push_back(file->path());
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    out << summaryLine(importer, seconds, written) << "\n";
    if (ui.optionsSaveFailed()) {
        err << "qfobjimp: cannot write the options file '" << absolutePath(importer.configPath)
            << "'; the options are not saved\n";
        return 1;
    }
    return 0;
}

int configCommand(const Arguments& args, const char* argv0, std::ostream& out, std::ostream& err) {
    if (const std::string problem = configPathProblem(args); !problem.empty()) return usageError(err, args, problem);
    ObjImporter importer;
    setConfigPath(importer, args, argv0);
    bool loaded = loadOptions(importer);
    ImportOptions& o = importer.options;

    if (!args.operands.empty() && args.operands[0] == "set") {
        if (args.operands.size() != 3)
            return usageError(err, args, "config set: expected a key and a value");
        const std::string& key = args.operands[1];
        const std::string& value = args.operands[2];
        const OptionSetting* setting = findOptionSetting(key);
        if (key == "search-path") {
            // Kept as a full path: the file serves runs started from any folder.
            const std::string folder = value.empty() ? "" : absolutePath(value);
            // The file's reader ends the folder at a line break.
            if (folder.find_first_of("\r\n") != std::string::npos) {
                err << "qfobjimp: config: search-path cannot keep a folder whose name holds a line break\n";
                return 2;
            }
            if (folder.size() >= sizeof o.mapSearchPath) {
                err << "qfobjimp: config: search-path takes a folder of at most " << sizeof o.mapSearchPath - 1
                    << " characters\n";
                return 2;
            }
            copyBounded(o.mapSearchPath, folder.c_str());
        } else if (!setting) {
            std::string keys;
            for (const OptionSetting& s : optionSettings()) keys += std::string(s.key) + ", ";
            err << "qfobjimp: config: unknown option '" << key << "'; the options are " << keys << "search-path\n";
            return 2;
        } else if (setting->flag) {
            if (!parseOnOff(value, o.*setting->flag)) {
                err << "qfobjimp: config: " << key << " takes on or off, not '" << value << "'\n";
                return 2;
            }
        } else if (!parseSettingNumber(*setting, value, o.*setting->number)) {
            err << "qfobjimp: config: " << key << " takes a number " << rangeText(*setting) << ", not '" << value
                << "'\n";
            return 2;
        }
        if (!importer.configPath[0]) {
            err << "qfobjimp: config: " << noOptionsFile() << "\n";
            return 1;
        }
        // Settings of a file that could not be read would be lost with the others it holds.
        if (holdsSomethingElse(importer.configPath)) {
            err << "qfobjimp: config: " << notAnOptionsFile(importer.configPath) << "\n";
            return 1;
        }
        if (!saveOptions(importer) || !loadOptions(importer)) {
            err << "qfobjimp: config: cannot write '" << importer.configPath << "'; it is left as it was\n";
            return 1;
        }
        loaded = true;
    } else if (!args.operands.empty()) {
        return usageError(err, args, "config: unexpected '" + args.operands[0] + "'");
    }

    std::error_code ec;
    const bool there = fs::exists(fileSystemPath(importer.configPath), ec);
    const char* state = loaded  ? ""
                        : there ? " (not readable as an options file: the defaults are shown)"
                                : " (not there yet: the defaults are shown)";
    if (!importer.configPath[0]) out << "options file: none: " << noOptionsFile() << "\n";
    else out << "options file: " << absolutePath(importer.configPath) << state << "\n";
    auto row = [&](const std::string& key, const std::string& value, const std::string& meaning) {
        out << "  " << std::left << std::setw(21) << key << std::setw(8) << value << meaning << "\n";
    };
    for (const OptionSetting& s : optionSettings()) {
        std::ostringstream value;
        if (s.flag) value << (o.*s.flag ? "on" : "off");
        else value << o.*s.number;
        row(s.key, value.str(), std::string(s.meaning) + (s.number ? " (" + rangeText(s) + ")" : ""));
    }
    row("search-path", o.mapSearchPath[0] ? "" : "(none)", "folder searched, with its sub-folders, for missing textures");
    if (o.mapSearchPath[0]) out << "    " << o.mapSearchPath << "\n";
    return 0;
}

}  // namespace

std::string executablePath(const char* argv0) {
#if defined(_WIN32)
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return path;
#else
    std::error_code ec;
    auto p = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return p.string();
#endif
    return argv0 ? argv0 : "";
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const Arguments args = parseArguments(argc, argv);
    const bool unknownVerb = args.verb == Verb::None && !args.verbName.empty();
    if (args.help && !unknownVerb) {
        out << helpText(args.verb);
        return 0;
    }
    if (args.version && args.error.empty()) {
        out << "qfobjimp " << QF_VERSION << "\n";
        return 0;
    }
    if (!args.error.empty()) return usageError(err, args, args.error);
    const char* argv0 = argc > 0 ? argv[0] : nullptr;
    try {
        switch (args.verb) {
        case Verb::Scan: return scanCommand(args, out, err);
        case Verb::Parse: return parseCommand(args, argv0, out, err);
        case Verb::Import: return importCommand(args, argv0, out, err);
        case Verb::Config: return configCommand(args, argv0, out, err);
        case Verb::None: break;
        }
    } catch (const std::bad_alloc&) {
        // Memory the passes do not report themselves (the stand-in scene, the outputs' texts):
        // the unwinding has removed the unfinished output files.
        err << "qfobjimp: not enough memory\n";
        return 1;
    } catch (const std::exception& e) {
        // A fault of the tool's own: said as such rather than ended by the runtime, and the
        // unfinished output files are gone as above.
        err << "qfobjimp: internal error: " << e.what() << "\n";
        return 1;
    }
    return usageError(err, args, "expected a command");
}

}  // namespace qf

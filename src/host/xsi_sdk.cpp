#include "host/xsi_sdk.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <numeric>
#include <string_view>
#include "host/host_scene.h"
#include "host/host_ui.h"

namespace XSI {

using standin::HostScene;
using standin::HostUi;
using standin::ItemKind;

const wchar_t* const siPolygonCluster = L"poly";

namespace {

HostScene& scene() { return HostScene::instance(); }
HostUi& ui() { return HostUi::instance(); }

// References to the host's interface (plug-ins, menus, contexts, toolkit objects) rather than to
// items of the scene.
bool isInterface(const CRef& ref) { return ref.facet() >= CRef::Facet::Plugin; }

// The call's text is made only while calls are still recorded: an import of many meshes makes
// millions of calls, of which the first kRecordedCalls are kept.
template <typename MakeText>
void record(MakeText makeText) {
    if (scene().recordsCalls()) scene().recordCall(makeText());
    else scene().countCall();
}

std::string name(const CString& text) { return ToAscii(text); }

template <typename T>
std::string numberText(T value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

// Values beyond 32 bits name no polygon or vertex the host could hold: they are kept as -1,
// which the host refuses as it would refuse the value itself.
int32_t narrowIndex(LONG v) { return (v < INT32_MIN || v > INT32_MAX) ? int32_t(-1) : static_cast<int32_t>(v); }

void assignPolygons(standin::SceneArray<int32_t>& to, const LONG* polygons, LONG count) {
    to.resize(size_t(std::max<LONG>(count, 0)));
    std::transform(polygons, polygons + to.size(), to.begin(), narrowIndex);
}

int validItem(const CRef& ref) { return !isInterface(ref) && scene().valid(ref.item()) ? ref.item() : -1; }

standin::PendingMesh* pendingOf(int object) {
    if (!scene().valid(object)) return nullptr;
    const int pending = scene().item(object).pending;
    return pending >= 0 ? &scene().pending()[size_t(pending)] : nullptr;
}

}  // namespace

// ---- text and values ----

CString AsciiString(const char* text) {
    const std::string_view bytes(text ? text : "");
    std::wstring wide(bytes.size(), L'\0');
    std::transform(bytes.begin(), bytes.end(), wide.begin(),
                   [](char c) { return wchar_t(static_cast<unsigned char>(c)); });
    return CString(wide);
}

std::string ToAscii(const CString& text) {
    const std::wstring& wide = text.wide();
    std::string out(wide.size(), '\0');
    std::transform(wide.begin(), wide.end(), out.begin(),
                   [](wchar_t c) { return (c < 256) ? char(static_cast<unsigned char>(c)) : '?'; });
    return out;
}

const char* CString::GetAsciiString() const {
    ascii_ = ToAscii(*this);
    return ascii_.c_str();
}

void CString::PutAsciiString(const char* text) { text_ = AsciiString(text).wide(); }

bool CString::IsEqualNoCase(const CString& other) const {
    if (text_.size() != other.text_.size()) return false;
    for (size_t i = 0; i < text_.size(); ++i) {
        wchar_t a = text_[i], b = other.text_[i];
        if (a >= L'A' && a <= L'Z') a = wchar_t(a - L'A' + L'a');
        if (b >= L'A' && b <= L'Z') b = wchar_t(b - L'A' + L'a');
        if (a != b) return false;
    }
    return true;
}

CString CStatus::GetDescription() const { return CString(description_); }

bool CRef::IsValid() const { return isInterface(*this) ? ui().valid(*this) : scene().valid(item_); }

CString CRef::GetAsText() const {
    if (isInterface(*this)) return AsciiString(ui().nameOf(*this).c_str());
    std::string full = scene().fullName(item_);
    if (!parameter_.empty()) full += "." + parameter_;
    return AsciiString(full.c_str());
}

std::string AsciiText(const CValue& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return ""; }
        std::string operator()(bool v) const { return v ? "true" : "false"; }
        std::string operator()(short v) const { return std::to_string(v); }
        std::string operator()(LONG v) const { return std::to_string(v); }
        std::string operator()(float v) const { return numberText(v); }
        std::string operator()(double v) const { return numberText(v); }
        std::string operator()(const CString& v) const { return ToAscii(v); }
        std::string operator()(const CRef& v) const { return ToAscii(v.GetAsText()); }
    };
    return std::visit(Visitor{}, value.storage());
}

CString CValue::GetAsText() const { return AsciiString(AsciiText(*this).c_str()); }

CValue::operator bool() const {
    if (const bool* b = std::get_if<bool>(&value_)) return *b;
    if (const LONG* l = std::get_if<LONG>(&value_)) return *l != 0;
    if (const short* s = std::get_if<short>(&value_)) return *s != 0;
    if (const CString* t = std::get_if<CString>(&value_)) return ToAscii(*t) == "true";
    return false;
}

CValue::operator CRef() const {
    if (const CRef* r = std::get_if<CRef>(&value_)) return *r;
    return CRef();
}

// ---- objects ----

CString SIObject::GetName() const {
    if (isInterface(ref_)) return AsciiString(ui().nameOf(ref_).c_str());
    const int id = validItem(ref_);
    return AsciiString(id >= 0 ? scene().item(id).name.c_str() : "");
}

CStatus SIObject::PutName(const CString& text) {
    const int id = validItem(ref_);
    record([&] { return "SIObject::PutName " + name(text); });
    if (isInterface(ref_)) {
        if (auto* plugin = ui().plugin(ref_)) plugin->name = name(text);
        else if (auto* menu = ui().menu(ref_)) menu->name = name(text);
        else return CStatus::InvalidArgument;
        return CStatus::OK;
    }
    if (id < 0) return CStatus::InvalidArgument;
    scene().renameItem(id, name(text));
    return CStatus::OK;
}

CString SIObject::GetFullName() const { return ref_.GetAsText(); }

CRef SIObject::GetParent() const {
    if (const auto* item = ui().menuItem(ref_)) return CRef(item->menu, CRef::Facet::Menu);
    if (const auto* menu = ui().menu(ref_)) return menu->plugin >= 0 ? CRef(menu->plugin, CRef::Facet::Plugin) : CRef();
    const int id = validItem(ref_);
    return id >= 0 ? CRef(scene().item(id).parent) : CRef();
}

CRef CParameterRefArray::GetItem(const CString& parameter) const { return CRef(owner, name(parameter)); }

CParameterRefArray& ProjectItem::GetParameters() const {
    parameters_.owner = ref_.item();
    return parameters_;
}

CStatus ProjectItem::PutParameterValue(const CString& parameter, const CValue& value, double) {
    const int id = validItem(ref_);
    const std::string path = ref_.parameter().empty() ? name(parameter) : ref_.parameter() + "." + name(parameter);
    record([&] {
        return "ProjectItem::PutParameterValue " + scene().fullName(id) + "." + path + " " + AsciiText(value);
    });
    if (id < 0) return CStatus::InvalidArgument;
    scene().setParameter(id, path, AsciiText(value));
    return CStatus::OK;
}
CStatus ProjectItem::PutParameterValue(const CString& n, bool v, double t) { return PutParameterValue(n, CValue(v), t); }
CStatus ProjectItem::PutParameterValue(const CString& n, double v, double t) { return PutParameterValue(n, CValue(v), t); }
CStatus ProjectItem::PutParameterValue(const CString& n, float v, double t) { return PutParameterValue(n, CValue(v), t); }
CStatus ProjectItem::PutParameterValue(const CString& n, short v, double t) { return PutParameterValue(n, CValue(v), t); }
CStatus ProjectItem::PutParameterValue(const CString& n, LONG v, double t) { return PutParameterValue(n, CValue(v), t); }
CStatus ProjectItem::PutParameterValue(const CString& n, const CString& v, double t) {
    return PutParameterValue(n, CValue(v), t);
}

CRefArray Material::GetShaders() const {
    CRefArray shaders;
    for (int s : scene().children(ref_.item(), ItemKind::Shader)) shaders.Add(CRef(s));
    return shaders;
}

CStatus ClusterProperty::SetValues(const float* values, LONG count, LONG offset) {
    const int id = validItem(ref_);
    record([&] { return "ClusterProperty::SetValues " + std::to_string(count) + " at " + std::to_string(offset); });
    if (id < 0 || count < 0 || offset < 0) return CStatus::InvalidArgument;
    auto& stored = scene().item(id).values;
    const size_t end = (size_t(offset) + size_t(count)) * 3;
    // Values set in parts grow to one value per node of the mesh: room for them at once.
    const int owner = scene().item(id).parent;
    if (stored.capacity() < end && scene().valid(owner))
        stored.reserve(std::max(end, scene().item(owner).polygonIndices.size() * 3));
    if (offset == 0 && stored.size() <= end) {
        stored.assign(values, values + end);  // the usual whole set, without clearing first
        return CStatus::OK;
    }
    if (stored.size() == size_t(offset) * 3) {
        stored.insert(stored.end(), values, values + size_t(count) * 3);  // the next part in order
        return CStatus::OK;
    }
    if (stored.size() < end) stored.resize(end, 0.0f);
    std::copy(values, values + size_t(count) * 3, stored.begin() + std::ptrdiff_t(offset) * 3);
    return CStatus::OK;
}

CRefArray Library::GetItems() const {
    CRefArray items;
    for (int m : scene().children(ref_.item(), ItemKind::Material)) items.Add(CRef(m));
    return items;
}

CRef MaterialLibrary::CreateMaterial(const CString& preset, const CString& wanted) {
    record([&] { return "MaterialLibrary::CreateMaterial " + name(preset) + " " + name(wanted); });
    const int library = validItem(ref_);
    if (library < 0) return CRef();
    const int material = scene().add(ItemKind::Material, name(wanted), library);
    scene().add(ItemKind::Shader, name(preset), material);
    return CRef(material);
}

CStatus X3DObject::AddPolygonMesh(const CString& wanted, X3DObject& out, CMeshBuilder& outBuilder) {
    record([&] { return "X3DObject::AddPolygonMesh " + name(wanted); });
    const int parent = validItem(ref_);
    if (parent < 0) return CStatus::InvalidArgument;
    // The host keeps names unique among siblings by numbering a repeated one.
    std::string rest;
    const std::string wantedName = name(wanted);
    const std::string objectName =
        scene().numberedName("object:" + wantedName, wantedName, [&rest](const std::string& candidate) {
            return scene().resolve(candidate, rest) >= 0 && rest.empty();
        });
    const int object = scene().add(ItemKind::Object, objectName, parent);
    scene().item(object).pending = int(scene().pending().size());
    scene().pending().push_back({object, 0, {}, {}, {}});
    out = X3DObject(CRef(object));
    outBuilder = CMeshBuilder(CRef(object));
    return CStatus::OK;
}

Primitive X3DObject::GetActivePrimitive() const { return Primitive(CRef(ref_.item(), CRef::Facet::Primitive)); }

Geometry Primitive::GetGeometry(double) const { return Geometry(CRef(ref_.item(), CRef::Facet::Geometry)); }

CStatus Geometry::GetBoundingBox(double& cx, double& cy, double& cz, double& ex, double& ey, double& ez,
                                 const MATH::CTransformation&) const {
    record([&] { return std::string("Geometry::GetBoundingBox"); });
    cx = cy = cz = ex = ey = ez = 0;
    const int id = validItem(ref_);
    if (id < 0) return CStatus::InvalidArgument;
    const auto& p = scene().item(id).positions;
    if (p.empty()) return CStatus::OK;
    double lo[3] = {p[0], p[1], p[2]}, hi[3] = {p[0], p[1], p[2]};
    for (size_t i = 0; i + 2 < p.size(); i += 3)
        for (size_t k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[i + k]);
            hi[k] = std::max(hi[k], p[i + k]);
        }
    cx = (lo[0] + hi[0]) / 2;
    cy = (lo[1] + hi[1]) / 2;
    cz = (lo[2] + hi[2]) / 2;
    ex = hi[0] - lo[0];
    ey = hi[1] - lo[1];
    ez = hi[2] - lo[2];
    return CStatus::OK;
}

CStatus Geometry::AddCluster(const CString& type, const CString& clusterName, const CLongArray& indices, Cluster& out) {
    record([&] {
        return "Geometry::AddCluster " + name(type) + " " + name(clusterName) + " " +
               std::to_string(indices.GetCount());
    });
    const int id = validItem(ref_);
    if (id < 0) return CStatus::InvalidArgument;
    standin::ClusterData cluster;
    cluster.name = name(clusterName);
    assignPolygons(cluster.polygons, indices.GetArray(), indices.GetCount());
    const std::string added = cluster.name;
    scene().item(id).clusters.push_back(std::move(cluster));
    out = Cluster(CRef(scene().add(ItemKind::Cluster, added, id)));
    return CStatus::OK;
}

CStatus CGeometryAccessor::GetNodeIndices(CLongArray& out) const {
    record([&] { return std::string("CGeometryAccessor::GetNodeIndices"); });
    const int id = validItem(ref_);
    out.Clear();
    if (id < 0) return CStatus::InvalidArgument;
    const size_t corners = scene().item(id).polygonIndices.size();
    // Millions of node numbers: their new block is advised before it is filled.
    out.Reserve(LONG(corners));
    standin::adviseHugePages(out.GetArray(), corners * sizeof(LONG));
    out.Resize(LONG(corners));
    std::iota(out.GetArray(), out.GetArray() + corners, LONG(0));
    return CStatus::OK;
}

CRef CClusterPropertyBuilder::AddUV() {
    record([&] { return std::string("CClusterPropertyBuilder::AddUV"); });
    const int id = validItem(ref_);
    if (id < 0) return CRef();
    const size_t existing = scene().countChildren(id, ItemKind::UVProperty);
    return CRef(scene().add(ItemKind::UVProperty,
                            existing ? "Texture_Projection" + std::to_string(existing) : "Texture_Projection", id));
}

CRef CClusterPropertyBuilder::AddUserNormal(bool) {
    record([&] { return std::string("CClusterPropertyBuilder::AddUserNormal"); });
    const int id = validItem(ref_);
    return id < 0 ? CRef() : CRef(scene().add(ItemKind::UVProperty, "User_Normal_Cluster", id));
}

CGeometryAccessor PolygonMesh::GetGeometryAccessor(siConstructionMode mode, siSubdivisionRuleType type, LONG level,
                                                   bool loop, bool discontinuity, double angle) const {
    record([&] {
        return "PolygonMesh::GetGeometryAccessor " + std::to_string(int(mode)) + ", " + std::to_string(int(type)) +
               ", " + std::to_string(level) + ", " + (loop ? "true" : "false") + ", " +
               (discontinuity ? "true" : "false") + ", " + numberText(angle);
    });
    return CGeometryAccessor(CRef(ref_.item()));
}

CClusterPropertyBuilder PolygonMesh::GetClusterPropertyBuilder() const {
    return CClusterPropertyBuilder(CRef(ref_.item()));
}

CStatus CMeshBuilder::AddVertices(LONG count, const double* positions) {
    record([&] { return "CMeshBuilder::AddVertices " + std::to_string(count); });
    auto* mesh = pendingOf(ref_.item());
    if (!mesh || count < 0) return CStatus::InvalidArgument;
    const size_t first = mesh->vertexCount;
    mesh->vertexCount += size_t(count);
    if (positions) {
        mesh->positions.resize(first * 3, 0.0);  // vertices added without positions stay at the origin
        mesh->positions.insert(mesh->positions.end(), positions, positions + size_t(count) * 3);
    } else {
        // Room for positions set later, in a block whose pages are taken only as they are written.
        mesh->positions.reserve(mesh->vertexCount * 3);
    }
    return CStatus::OK;
}

CStatus CMeshBuilder::SetVertexPositions(LONG count, const double* positions, LONG offset) {
    record([&] {
        return "CMeshBuilder::SetVertexPositions " + std::to_string(count) + " at " + std::to_string(offset);
    });
    auto* mesh = pendingOf(ref_.item());
    if (!mesh || count < 0 || offset < 0 || size_t(offset) + size_t(count) > mesh->vertexCount)
        return CStatus::InvalidArgument;
    auto& stored = mesh->positions;
    const size_t first = size_t(offset) * 3, end = first + size_t(count) * 3;
    if (stored.size() < first) stored.resize(first, 0.0);  // vertices before the part stay at the origin
    // What is stored already is overwritten, the rest appended: each value is written once.
    const size_t overwritten = std::min(stored.size(), end) - first;
    std::copy(positions, positions + overwritten, stored.begin() + std::ptrdiff_t(first));
    stored.insert(stored.end(), positions + overwritten, positions + (end - first));
    return CStatus::OK;
}

CStatus CMeshBuilder::AddPolygons(LONG count, const LONG* sizes, const LONG* indices) {
    record([&] { return "CMeshBuilder::AddPolygons " + std::to_string(count); });
    auto* mesh = pendingOf(ref_.item());
    if (!mesh || count < 0) return CStatus::InvalidArgument;
    // Polygons given in many parts: the arrays double, never grow to the exact size of each part,
    // which would copy them once per part.
    auto makeRoom = [](auto& array, size_t more) {
        if (array.capacity() - array.size() < more) array.reserve(std::max(array.size() + more, array.capacity() * 2));
    };
    // A mesh of millions of corners comes in parts: at the first, room is made for the polygons
    // and corners a mesh of its vertices usually has (triangles: twice as many polygons, six
    // corners per vertex), in blocks whose pages are taken only as they are written. The arrays
    // then grow without a copy, where doubling wrote twice their size to new memory.
    if (mesh->polygonSizes.empty() && mesh->polygonIndices.empty()) {
        const size_t vertices = mesh->vertexCount;
        auto reserveLarge = [](auto& array, size_t entries) {
            if (entries * sizeof(int32_t) >= standin::kSceneMappedBlockBytes) array.reserve(entries);
        };
        reserveLarge(mesh->polygonSizes, vertices * 2);
        reserveLarge(mesh->polygonIndices, vertices * 6);
    }
    makeRoom(mesh->polygonSizes, size_t(count));
    const size_t firstPolygon = mesh->polygonSizes.size();
    mesh->polygonSizes.resize(firstPolygon + size_t(count));
    int32_t* polygonSizes = mesh->polygonSizes.data() + firstPolygon;
    size_t corners = 0;
    for (LONG p = 0; p < count; ++p) {
        const LONG n = sizes[p] > 0 ? std::min<LONG>(sizes[p], INT32_MAX) : 0;
        polygonSizes[p] = static_cast<int32_t>(n);
        corners += size_t(n);
    }
    const size_t first = mesh->polygonIndices.size();
    makeRoom(mesh->polygonIndices, corners);
    mesh->polygonIndices.resize(first + corners);
    std::transform(indices, indices + corners, mesh->polygonIndices.begin() + std::ptrdiff_t(first), narrowIndex);
    return CStatus::OK;
}

CErrorDescriptor CMeshBuilder::Build(bool undoRequired) {
    record([&] { return std::string("CMeshBuilder::Build ") + (undoRequired ? "true" : "false"); });
    auto* mesh = pendingOf(ref_.item());
    if (!mesh) return CErrorDescriptor(CStatus::Fail, L"no mesh to build");
    auto& object = scene().item(mesh->object);
    mesh->positions.resize(mesh->vertexCount * 3, 0.0);  // vertices never given a position: the origin
    const long vertices = long(mesh->vertexCount);
    std::wstring problem;
    if (scene().isRefused(object.name)) problem = L"the mesh was refused";
    const auto& sizes = mesh->polygonSizes;
    const auto& indices = mesh->polygonIndices;
    if (problem.empty() && std::any_of(sizes.begin(), sizes.end(), [](int32_t size) { return size < 3; }))
        problem = L"a polygon has fewer than 3 vertices";
    if (problem.empty() &&
        std::any_of(indices.begin(), indices.end(), [&](int32_t v) { return v < 0 || v >= vertices; }))
        problem = L"a polygon uses a vertex that does not exist";
    if (!problem.empty()) return CErrorDescriptor(CStatus::Fail, problem);
    object.positions = std::move(mesh->positions);
    object.polygonSizes = std::move(mesh->polygonSizes);
    object.polygonIndices = std::move(mesh->polygonIndices);
    object.built = true;
    object.pending = -1;
    *mesh = standin::PendingMesh{};
    return CErrorDescriptor(CStatus::OK);
}

CStatus CMeshBuilder::SetPolygonsMaterial(const CRef& material, LONG count, const LONG* polygons, CString& clusterName) {
    record([&] {
        return "CMeshBuilder::SetPolygonsMaterial " + ToAscii(material.GetAsText()) + " " + std::to_string(count) +
               " " + ToAscii(clusterName);
    });
    const int id = ref_.item();
    if (!scene().valid(id) || !scene().item(id).built || !material.IsValid()) return CStatus::InvalidArgument;
    standin::ClusterData cluster;
    cluster.name = ToAscii(clusterName);
    cluster.material = ToAscii(material.GetAsText());
    assignPolygons(cluster.polygons, polygons, count);
    scene().item(id).clusters.push_back(std::move(cluster));
    return CStatus::OK;
}

Library Scene::GetActiveMaterialLibrary() const { return Library(CRef(scene().materialLibrary())); }

Scene Project::GetActiveScene() const { return Scene(CRef(scene().scene())); }

CStatus Menu::AddCallbackItem(const CString& label, const CString& callback, MenuItem& out) {
    record([&] { return "Menu::AddCallbackItem " + name(label) + " " + name(callback); });
    const CRef item = ui().addMenuItem(ref_, name(label), name(callback));
    out = MenuItem(item);
    return item.IsValid() ? CStatus::OK : CStatus::InvalidArgument;
}

void Desktop::RedrawUI() {
    record([&] { return std::string("Desktop::RedrawUI"); });
    if (ui().onRedraw) ui().onRedraw();
}
void Desktop::SuspendWin32ControlsHook() {
    record([&] { return std::string("Desktop::SuspendWin32ControlsHook"); });
    ++ui().hookSuspensions;
}
void Desktop::RestoreWin32ControlsHook() {
    record([&] { return std::string("Desktop::RestoreWin32ControlsHook"); });
    --ui().hookSuspensions;
}
void* Desktop::GetApplicationWindowHandle() { return ui().applicationWindow; }

Application::Application() : SIObject(CRef(scene().root())) {}

CStatus Application::LogMessage(const CString& text, siSeverityType severity) const {
    scene().log(name(text), int(severity));
    record([&] { return "Application::LogMessage " + name(text); });
    return CStatus::OK;
}

Desktop Application::GetDesktop() const { return Desktop(); }

Model Application::GetActiveSceneRoot() const { return Model(CRef(scene().root())); }

Project Application::GetActiveProject() const { return Project(CRef(scene().project())); }

CStatus Application::ExecuteCommand(const CString& command, CValueArray& args, CValue& out) const {
    return scene().runCommand(name(command), args, out);
}

CRef Context::GetSource() const {
    const CRef* source = ui().contextSource(ref_);
    return source ? *source : ref_;
}

// A registrar the host did not make (a test's own) records the calls and keeps nothing.
CStatus PluginRegistrar::PutAuthor(const CString& v) {
    record([&] { return "PluginRegistrar::PutAuthor " + name(v); });
    if (auto* plugin = ui().plugin(ref_)) plugin->author = name(v);
    return CStatus::OK;
}
CStatus PluginRegistrar::PutEmail(const CString& v) {
    record([&] { return "PluginRegistrar::PutEmail " + name(v); });
    if (auto* plugin = ui().plugin(ref_)) plugin->email = name(v);
    return CStatus::OK;
}
CStatus PluginRegistrar::PutURL(const CString& v) {
    record([&] { return "PluginRegistrar::PutURL " + name(v); });
    if (auto* plugin = ui().plugin(ref_)) plugin->url = name(v);
    return CStatus::OK;
}
CStatus PluginRegistrar::PutVersion(LONG major, LONG minor) {
    record([&] { return "PluginRegistrar::PutVersion " + std::to_string(major) + "." + std::to_string(minor); });
    if (auto* plugin = ui().plugin(ref_)) {
        plugin->major = major;
        plugin->minor = minor;
    }
    return CStatus::OK;
}
CStatus PluginRegistrar::RegisterMenu(siMenuAnchorPoints anchor, const CString& menu, bool submenu, bool dynamic) {
    record([&] {
        return "PluginRegistrar::RegisterMenu " + std::to_string(int(anchor)) + " " + name(menu) + " " +
               (submenu ? "true" : "false") + " " + (dynamic ? "true" : "false");
    });
    if (auto* plugin = ui().plugin(ref_)) plugin->menus.push_back({int(anchor), name(menu), submenu, dynamic});
    return CStatus::OK;
}

// The toolkit objects: "XSI.UIToolkit" hands out its "FileBrowser" as a property; a file browser
// keeps the properties set on it and answers "ShowOpen" through the host.
CComAPIHandler::CComAPIHandler(const CValue& value) : CBase(CRef(value)) {}

CStatus CComAPIHandler::CreateInstance(const CString& progId) {
    record([&] { return "CComAPIHandler::CreateInstance " + name(progId); });
    ref_ = ui().addComObject(name(progId));
    return CStatus::OK;
}

CValue CComAPIHandler::GetProperty(const CString& property) const {
    record([&] { return "CComAPIHandler::GetProperty " + name(property); });
    auto* object = ui().comObject(ref_);
    if (!object) return CValue();
    const std::string key = name(property);
    auto found = object->properties.find(key);
    if (found != object->properties.end()) return found->second;
    if (object->progId == "XSI.UIToolkit" && key == "FileBrowser") {
        const CValue browser(ui().addComObject("XSI.FileBrowser"));
        // The object may have moved while the list grew: look it up again.
        ui().comObject(ref_)->properties[key] = browser;
        return browser;
    }
    return CValue();
}

CStatus CComAPIHandler::PutProperty(const CString& property, const CValue& value) const {
    record([&] { return "CComAPIHandler::PutProperty " + name(property) + " " + ToAscii(value.GetAsText()); });
    auto* object = ui().comObject(ref_);
    if (!object) return CStatus::InvalidArgument;
    object->properties[name(property)] = value;
    return CStatus::OK;
}

CStatus CComAPIHandler::Call(const CString& method, CValue& ret, const CValueArray&) const {
    record([&] { return "CComAPIHandler::Call " + name(method); });
    ret = CValue();
    const auto* object = ui().comObject(ref_);
    if (!object) return CStatus::InvalidArgument;
    if (object->progId == "XSI.FileBrowser" && name(method) == "ShowOpen") {
        ui().showOpen(ref_);
        return CStatus::OK;
    }
    return CStatus::Fail;
}

}  // namespace XSI

// The host SDK as the plug-in sees it: the classes and members it calls, with the host's names and
// signatures, over the stand-in scene of host_scene.h. Every call is recorded there.
#pragma once
#include <cfloat>
#include <string>
#include <variant>
#include <vector>

#include "host/xsi_arrays.h"

#if defined(_WIN32) && defined(QF_HOSTSDK_SHARED)
#if defined(QF_HOSTSDK_BUILD)
#define XSI_SDK_API __declspec(dllexport)
#else
#define XSI_SDK_API __declspec(dllimport)
#endif
#else
#define XSI_SDK_API
#endif

// The entry points of a plug-in library, found by the host by name.
#if defined(_WIN32)
#define XSIPLUGINCALLBACK extern "C" __declspec(dllexport)
#else
#define XSIPLUGINCALLBACK extern "C"
#endif

namespace XSI {

class XSI_SDK_API CStatus {
public:
    enum Code : unsigned long {
        OK = 0,
        False = 1,
        Fail = 0x80004005UL,
        InvalidArgument = 0x80070057UL,
        OutOfMemory = 0x8007000EUL,
        Unexpected = 0x8000FFFFUL,
    };
    CStatus(Code code = OK) : code_(code) {}
    CStatus(Code code, const std::wstring& description) : code_(code), description_(description) {}
    Code GetCode() const { return code_; }
    bool Succeeded() const { return code_ == OK || code_ == False; }
    class CString GetDescription() const;
    bool operator==(Code code) const { return code_ == code; }
    bool operator!=(Code code) const { return code_ != code; }

private:
    Code code_;
    std::wstring description_;
};

class XSI_SDK_API CErrorDescriptor : public CStatus {
public:
    using CStatus::CStatus;
    CErrorDescriptor(const CStatus& status) : CStatus(status) {}
};

// Wide text, as the host keeps it. Bytes of the plug-in's code page map one to one to the first
// 256 code points, so an ASCII round trip returns the same bytes.
class XSI_SDK_API CString {
public:
    CString() = default;
    CString(const wchar_t* text) : text_(text ? text : L"") {}
    CString(const std::wstring& text) : text_(text) {}
    const wchar_t* GetWideString() const { return text_.c_str(); }
    const char* GetAsciiString() const;
    void PutAsciiString(const char* text);
    unsigned long Length() const { return static_cast<unsigned long>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    bool operator==(const CString& other) const { return text_ == other.text_; }
    bool operator!=(const CString& other) const { return text_ != other.text_; }
    bool IsEqualNoCase(const CString& other) const;
    CString operator+(const CString& other) const { return CString(text_ + other.text_); }
    CString& operator+=(const CString& other) {
        text_ += other.text_;
        return *this;
    }
    const std::wstring& wide() const { return text_; }

private:
    std::wstring text_;
    mutable std::string ascii_;
};

// Builds a CString from the plug-in's single-byte text.
XSI_SDK_API CString AsciiString(const char* text);
XSI_SDK_API std::string ToAscii(const CString& text);

// A reference to a host object: an item of the stand-in scene and the facet it is seen through.
class XSI_SDK_API CRef {
public:
    // Scene items are seen as themselves, their primitive or their geometry; the other facets
    // name objects of the host's interface (host_ui.h), which live outside the scene.
    enum class Facet { Object, Primitive, Geometry, Plugin, Menu, MenuItem, Context, ComObject };
    CRef() = default;
    CRef(int item, Facet facet = Facet::Object) : item_(item), facet_(facet) {}
    // A parameter of an item, named by its path there ("ambient").
    CRef(int item, const std::string& parameter) : item_(item), parameter_(parameter) {}
    bool IsValid() const;
    explicit operator bool() const { return IsValid(); }
    bool operator==(const CRef& other) const {
        return item_ == other.item_ && facet_ == other.facet_ && parameter_ == other.parameter_;
    }
    CString GetAsText() const;
    int item() const { return item_; }
    Facet facet() const { return facet_; }
    const std::string& parameter() const { return parameter_; }

private:
    int item_ = -1;
    Facet facet_ = Facet::Object;
    std::string parameter_;
};

class XSI_SDK_API CRefArray {
public:
    LONG GetCount() const { return static_cast<LONG>(refs_.size()); }
    CRef operator[](LONG i) const { return refs_[static_cast<size_t>(i)]; }
    CRef GetItem(LONG i) const { return refs_[static_cast<size_t>(i)]; }
    void Add(const CRef& ref) { refs_.push_back(ref); }

private:
    std::vector<CRef> refs_;
};

class XSI_SDK_API CValue {
public:
    using Storage = std::variant<std::monostate, bool, short, LONG, float, double, CString, CRef>;
    CValue() = default;
    CValue(bool v) : value_(v) {}
    CValue(short v) : value_(v) {}
    CValue(int v) : value_(LONG(v)) {}
    CValue(LONG v) : value_(v) {}
    CValue(float v) : value_(v) {}
    CValue(double v) : value_(v) {}
    CValue(const CString& v) : value_(v) {}
    CValue(const wchar_t* v) : value_(CString(v)) {}
    CValue(const CRef& v) : value_(v) {}
    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    CString GetAsText() const;
    operator bool() const;
    operator CRef() const;
    const Storage& storage() const { return value_; }
    bool operator==(const CValue& other) const { return GetAsText() == other.GetAsText(); }

private:
    Storage value_;
};

// The stand-in's own: a value's text as single bytes, what ToAscii(value.GetAsText()) gives.
XSI_SDK_API std::string AsciiText(const CValue& value);

class XSI_SDK_API CValueArray {
public:
    explicit CValueArray(LONG n = 0) : values_(n > 0 ? static_cast<size_t>(n) : 0) {}
    CValue& operator[](LONG i) { return values_[static_cast<size_t>(i)]; }
    const CValue& operator[](LONG i) const { return values_[static_cast<size_t>(i)]; }
    void Add(const CValue& v) { values_.push_back(v); }
    LONG GetCount() const { return static_cast<LONG>(values_.size()); }

private:
    std::vector<CValue> values_;
};

enum siSeverityType { siFatalMsg = 1, siErrorMsg = 2, siWarningMsg = 4, siInfoMsg = 8, siVerboseMsg = 16 };
enum siConstructionMode { siConstructionModeDefault = 0 };
enum siSubdivisionRuleType { siCatmullClark = 0 };
enum siMenuAnchorPoints { siMenuMainFileImportID = 1003 };
XSI_SDK_API extern const wchar_t* const siPolygonCluster;

namespace MATH {
class XSI_SDK_API CTransformation {
public:
    void SetIdentity() { identity_ = true; }
    bool IsIdentity() const { return identity_; }

private:
    bool identity_ = true;
};
}  // namespace MATH

class XSI_SDK_API CBase {
public:
    CBase() = default;
    explicit CBase(const CRef& ref) : ref_(ref) {}
    virtual ~CBase() = default;
    bool IsValid() const { return ref_.IsValid(); }
    const CRef& GetRef() const { return ref_; }
    operator CRef() const { return ref_; }

protected:
    CRef ref_;
};

class XSI_SDK_API SIObject : public CBase {
public:
    using CBase::CBase;
    CString GetName() const;
    CStatus PutName(const CString& name);
    CString GetFullName() const;
    CRef GetParent() const;
};

class Parameter;
class XSI_SDK_API CParameterRefArray : public CRefArray {
public:
    CRef GetItem(const CString& name) const;
    using CRefArray::GetItem;
    int owner = -1;
};

class XSI_SDK_API ProjectItem : public SIObject {
public:
    using SIObject::SIObject;
    CParameterRefArray& GetParameters() const;
    CStatus PutParameterValue(const CString& name, const CValue& value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, bool value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, double value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, float value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, short value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, LONG value, double time = DBL_MAX);
    CStatus PutParameterValue(const CString& name, const CString& value, double time = DBL_MAX);

private:
    mutable CParameterRefArray parameters_;
};

// A compound parameter of a shader (such as a colour), whose components are set by name.
class XSI_SDK_API Parameter : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API Property : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API Shader : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API Material : public Property {
public:
    using Property::Property;
    CRefArray GetShaders() const;
};

class XSI_SDK_API ClusterProperty : public Property {
public:
    using Property::Property;
    CStatus SetValues(const float* values, LONG count, LONG offset = 0);
};

class XSI_SDK_API Clip : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API ImageClip2 : public Clip {
public:
    using Clip::Clip;
};

class XSI_SDK_API Source : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API Library : public Source {
public:
    using Source::Source;
    CRefArray GetItems() const;
};

class XSI_SDK_API MaterialLibrary : public Library {
public:
    using Library::Library;
    CRef CreateMaterial(const CString& preset, const CString& name);
};

class XSI_SDK_API SceneItem : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
};

class XSI_SDK_API Cluster : public SceneItem {
public:
    using SceneItem::SceneItem;
};

class CMeshBuilder;
class Primitive;

class XSI_SDK_API X3DObject : public SceneItem {
public:
    using SceneItem::SceneItem;
    CStatus AddPolygonMesh(const CString& name, X3DObject& out, CMeshBuilder& outBuilder);
    Primitive GetActivePrimitive() const;
};

class XSI_SDK_API Model : public X3DObject {
public:
    using X3DObject::X3DObject;
};

class XSI_SDK_API Geometry : public SIObject {
public:
    using SIObject::SIObject;
    CStatus GetBoundingBox(double& cx, double& cy, double& cz, double& ex, double& ey, double& ez,
                           const MATH::CTransformation& transform) const;
    CStatus AddCluster(const CString& type, const CString& name, const CLongArray& indices, Cluster& out);
};

class XSI_SDK_API Primitive : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
    Geometry GetGeometry(double time = DBL_MAX) const;
};

class XSI_SDK_API CGeometryAccessor : public CBase {
public:
    using CBase::CBase;
    CStatus GetNodeIndices(CLongArray& out) const;
};

class XSI_SDK_API CClusterPropertyBuilder : public CBase {
public:
    using CBase::CBase;
    CRef AddUV();
    CRef AddUserNormal(bool completeCluster = true);
};

class XSI_SDK_API PolygonMesh : public Geometry {
public:
    PolygonMesh() = default;
    explicit PolygonMesh(const Geometry& geometry) : Geometry(geometry.GetRef()) {}
    CGeometryAccessor GetGeometryAccessor(siConstructionMode mode = siConstructionModeDefault,
                                          siSubdivisionRuleType type = siCatmullClark, LONG subdLevel = 0,
                                          bool loopForTriangles = false, bool useDiscontinuity = true,
                                          double angle = 60.0) const;
    CClusterPropertyBuilder GetClusterPropertyBuilder() const;
};

class XSI_SDK_API CMeshBuilder : public CBase {
public:
    using CBase::CBase;
    CStatus AddVertices(LONG count, const double* positions = nullptr);
    CStatus SetVertexPositions(LONG count, const double* positions, LONG offset = 0);
    CStatus AddPolygons(LONG count, const LONG* sizes, const LONG* indices);
    CStatus SetPolygonsMaterial(const CRef& material, LONG count, const LONG* polygons, CString& clusterName);
    CErrorDescriptor Build(bool undoRequired);
};

class XSI_SDK_API Scene : public ProjectItem {
public:
    using ProjectItem::ProjectItem;
    Library GetActiveMaterialLibrary() const;
};

class XSI_SDK_API Project : public SIObject {
public:
    using SIObject::SIObject;
    Scene GetActiveScene() const;
};

class XSI_SDK_API UIObject : public SIObject {
public:
    using SIObject::SIObject;
};

class XSI_SDK_API MenuItem : public UIObject {
public:
    using UIObject::UIObject;
};

class XSI_SDK_API Menu : public MenuItem {
public:
    using MenuItem::MenuItem;
    CStatus AddCallbackItem(const CString& label, const CString& callback, MenuItem& out);
};

class XSI_SDK_API Desktop : public SIObject {
public:
    using SIObject::SIObject;
    void RedrawUI();
    void SuspendWin32ControlsHook();
    void RestoreWin32ControlsHook();
    void* GetApplicationWindowHandle();
};

class XSI_SDK_API Application : public SIObject {
public:
    Application();
    CStatus LogMessage(const CString& text, siSeverityType severity = siInfoMsg) const;
    Desktop GetDesktop() const;
    Model GetActiveSceneRoot() const;
    Project GetActiveProject() const;
    CStatus ExecuteCommand(const CString& name, CValueArray& args, CValue& out) const;
};

class XSI_SDK_API Context : public CBase {
public:
    using CBase::CBase;
    CRef GetSource() const;
};

class XSI_SDK_API PluginRegistrar : public SIObject {
public:
    using SIObject::SIObject;
    CStatus PutAuthor(const CString& author);
    CStatus PutEmail(const CString& email);
    CStatus PutURL(const CString& url);
    CStatus PutVersion(LONG major, LONG minor);
    CStatus RegisterMenu(siMenuAnchorPoints anchor, const CString& name, bool displayAsSubmenu, bool dynamic);
};

class XSI_SDK_API CComAPIHandler : public CBase {
public:
    CComAPIHandler() = default;
    explicit CComAPIHandler(const CValue& value);
    CStatus CreateInstance(const CString& progId);
    CValue GetProperty(const CString& name) const;
    CStatus PutProperty(const CString& name, const CValue& value) const;
    CStatus Call(const CString& name, CValue& ret, const CValueArray& args = CValueArray()) const;
};

}  // namespace XSI

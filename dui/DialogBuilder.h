#pragma once
// CDialogBuilder: builds a control tree from a layout file (XML). Each element names a control; its
// attributes go to the control's SetAttribute (after the window's "Default" attributes for that element
// name), its child elements become the control's children. An element name is looked up, without regard
// to case, among the library's own controls, then through the builder callback, then in the class
// registry (CControlFactory); an unknown element is left out with a debug line.
//
// Special elements: "Window" (the root: size="w,h", caption="l,t,r,b" (the dragging area: left, top,
// right inset, height), sizebox, roundcorner, mininfo, maxinfo, defaultfontcolor, disabledfontcolor),
// "Font" (id, name, size, bold, underline, italic, default, shared: for every window), "Default" (name,
// value: an attribute list) and "Include" (source = a layout file built in place, count = how many times).
//
// A layout that cannot be read or parsed gives no tree (nullptr) and a debug line, never a crash.

#include <string>
#include <string_view>

namespace dui {

class CControlUI;
class CPaintManagerUI;

// Creates the controls of elements the library does not know.
class IDialogBuilderCallback
{
public:
    virtual CControlUI* CreateControl(std::string_view className) = 0;

protected:
    ~IDialogBuilderCallback() = default;
};

class CDialogBuilder
{
public:
    // `xml` is a layout file name (relative to the resource path, '\' or '/') or, when it starts with
    // '<', the layout text itself. `type` is kept for callers that pass a resource type. Built controls
    // are added to `parent` when given; the answer is the root control (or the first built child).
    CControlUI* Create(std::string_view xml, std::string_view type = {},
                       IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                       CControlUI* parent = nullptr);
    // The same from layout bytes.
    CControlUI* CreateFromData(std::string_view data, IDialogBuilderCallback* callback = nullptr,
                               CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
    // Why the last Create gave no tree (empty after success).
    std::string GetLastError() const { return m_sError; }

    // One parsed element (the builder's own working data).
    struct Node;

private:
    CControlUI* Build(const Node& root, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                      CControlUI* parent);
    CControlUI* Parse(const Node& node, CControlUI* parent, IDialogBuilderCallback* callback,
                      CPaintManagerUI* manager);
    CControlUI* CreateFile(std::string_view file, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                           CControlUI* parent);

    std::string m_sError;
    int m_includeDepth = 0;
};

} // namespace dui

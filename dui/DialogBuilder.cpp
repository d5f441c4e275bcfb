#include "dui/DialogBuilder.h"

#include "dui/CheckBox.h"
#include "dui/Combo.h"
#include "dui/ControlFactory.h"
#include "dui/HorizontalLayout.h"
#include "dui/Label.h"
#include "dui/ListContainerElement.h"
#include "dui/ListElement.h"
#include "dui/PaintManager.h"
#include "dui/RichEdit.h"
#include "dui/Slider.h"
#include "dui/TabLayout.h"
#include "dui/Text.h"
#include "dui/TileLayout.h"
#include "platform/DebugOutput.h"

#include <QFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <charconv>
#include <memory>
#include <vector>

namespace dui {

// One element of a parsed layout.
struct CDialogBuilder::Node
{
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::unique_ptr<Node>> children;

    std::string Attr(std::string_view key) const
    {
        for (const auto& [k, v] : attributes) {
            if (k == key)
                return v;
        }
        return {};
    }
};

namespace {

constexpr int kMaxDepth = 256;
constexpr int kMaxIncludeDepth = 16;
constexpr int kMaxIncludeCount = 1000;

template <class T>
CControlUI* Make()
{
    return new T;
}

// The library's own elements.
struct OwnElement
{
    const char* name;
    CControlUI* (*create)();
};
const OwnElement kOwnElements[] = {
    {"Control", Make<CControlUI>},
    {"Container", Make<CContainerUI>},
    {"VerticalLayout", Make<CVerticalLayoutUI>},
    {"HorizontalLayout", Make<CHorizontalLayoutUI>},
    {"TabLayout", Make<CTabLayoutUI>},
    {"TileLayout", Make<CTileLayoutUI>},
    {"Label", Make<CLabelUI>},
    {"Text", Make<CTextUI>},
    {"Button", Make<CButtonUI>},
    {"Option", Make<COptionUI>},
    {"CheckBox", Make<CCheckBoxUI>},
    {"Progress", Make<CProgressUI>},
    {"Slider", Make<CSliderUI>},
    {"Edit", Make<CEditUI>},
    {"RichEdit", Make<CRichEditUI>},
    {"Combo", Make<CComboUI>},
    {"List", Make<CListUI>},
    {"ListLabelElement", Make<CListLabelElementUI>},
    {"ListContainerElement", Make<CListContainerElementUI>},
};

int ToInt(const std::string& s)
{
    int v = 0;
    std::from_chars(s.data(), s.data() + s.size(), v);
    return v;
}

// Parses layout bytes into nodes with the XML stream reader; false with a message on malformed input.
bool ParseXml(std::string_view data, std::unique_ptr<CDialogBuilder::Node>& root, std::string& error,
              CDialogBuilder::Node* (*newNode)())
{
    QXmlStreamReader reader(QByteArray(data.data(), static_cast<qsizetype>(data.size())));
    std::vector<CDialogBuilder::Node*> stack;
    while (!reader.atEnd()) {
        QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (static_cast<int>(stack.size()) >= kMaxDepth) {
                error = "elements nested too deep";
                return false;
            }
            std::unique_ptr<CDialogBuilder::Node> node(newNode());
            node->name = reader.name().toString().toStdString();
            for (const QXmlStreamAttribute& a : reader.attributes())
                node->attributes.emplace_back(a.name().toString().toStdString(),
                                              a.value().toString().toStdString());
            CDialogBuilder::Node* raw = node.get();
            if (stack.empty()) {
                if (root) {
                    error = "more than one root element";
                    return false;
                }
                root = std::move(node);
            } else {
                stack.back()->children.push_back(std::move(node));
            }
            stack.push_back(raw);
        } else if (token == QXmlStreamReader::EndElement) {
            if (!stack.empty())
                stack.pop_back();
        }
    }
    if (reader.hasError()) {
        error = reader.errorString().toStdString() + " (line " + std::to_string(reader.lineNumber()) + ")";
        return false;
    }
    if (!root) {
        error = "no root element";
        return false;
    }
    return true;
}

} // namespace

CControlUI* CDialogBuilder::Create(std::string_view xml, std::string_view type,
                                   IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent)
{
    (void)type;
    size_t first = xml.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && xml[first] == '<')
        return CreateFromData(xml, callback, manager, parent);
    return CreateFile(xml, callback, manager, parent);
}

CControlUI* CDialogBuilder::CreateFile(std::string_view file, IDialogBuilderCallback* callback,
                                       CPaintManagerUI* manager, CControlUI* parent)
{
    std::string path(file);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() != '/')
        path = CPaintManagerUI::GetResourcePath() + path;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        m_sError = "cannot read layout file '" + path + "'";
        platform::DebugPrintf("dui: %s\n", m_sError.c_str());
        return nullptr;
    }
    QByteArray bytes = f.readAll();
    return CreateFromData(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), callback,
                          manager, parent);
}

CControlUI* CDialogBuilder::CreateFromData(std::string_view data, IDialogBuilderCallback* callback,
                                           CPaintManagerUI* manager, CControlUI* parent)
{
    m_sError.clear();
    std::unique_ptr<Node> root;
    std::string error;
    if (!ParseXml(data, root, error, [] { return new Node; })) {
        m_sError = "cannot parse layout: " + error;
        platform::DebugPrintf("dui: %s\n", m_sError.c_str());
        return nullptr;
    }
    if (!EqualsNoCase(root->name, "Window")) {
        // A layout whose root is a control (a sub-layout): build it as the only child of a bare window.
        auto holder = std::make_unique<Node>();
        holder->name = "Window";
        holder->children.push_back(std::move(root));
        root = std::move(holder);
    }
    CControlUI* built = Build(*root, callback, manager, parent);
    if (!built && m_sError.empty()) {
        m_sError = "layout holds no control";
        platform::DebugPrintf("dui: %s\n", m_sError.c_str());
    }
    return built;
}

CControlUI* CDialogBuilder::Build(const Node& root, IDialogBuilderCallback* callback,
                                  CPaintManagerUI* manager, CControlUI* parent)
{
    if (manager) {
        for (const auto& [key, value] : root.attributes) {
            SIZE sz;
            RECT rc;
            if (key == "size" && ParseSize(value, sz)) {
                manager->SetInitSize(sz.cx, sz.cy);
            } else if (key == "caption" && ParseRect(value, rc)) {
                manager->SetCaptionRect(rc);
            } else if (key == "sizebox" && ParseRect(value, rc)) {
                manager->SetSizeBox(rc);
            } else if (key == "roundcorner" && ParseSize(value, sz)) {
                manager->SetRoundCorner(sz.cx, sz.cy);
            } else if (key == "mininfo" && ParseSize(value, sz)) {
                manager->SetMinInfo(sz.cx, sz.cy);
            } else if (key == "maxinfo" && ParseSize(value, sz)) {
                manager->SetMaxInfo(sz.cx, sz.cy);
            } else if (key == "defaultfontcolor") {
                manager->SetDefaultFontColor(ParseColor(value));
            } else if (key == "disabledfontcolor") {
                manager->SetDefaultDisabledColor(ParseColor(value));
            }
        }
    }
    return Parse(root, parent, callback, manager);
}

CControlUI* CDialogBuilder::Parse(const Node& node, CControlUI* parent, IDialogBuilderCallback* callback,
                                  CPaintManagerUI* manager)
{
    CControlUI* first = nullptr;
    for (const auto& childPtr : node.children) {
        const Node& child = *childPtr;
        const std::string& name = child.name;
        if (EqualsNoCase(name, "Font")) {
            if (manager) {
                int id = ToInt(child.Attr("id"));
                std::string face = child.Attr("name");
                int size = child.Attr("size").empty() ? 12 : ToInt(child.Attr("size"));
                bool bold = ParseBool(child.Attr("bold"));
                bool underline = ParseBool(child.Attr("underline"));
                bool italic = ParseBool(child.Attr("italic"));
                bool shared = ParseBool(child.Attr("shared"));
                manager->AddFont(id, face, size, bold, underline, italic, shared);
                if (ParseBool(child.Attr("default")))
                    manager->SetDefaultFont(face, size, bold, underline, italic, shared);
            }
            continue;
        }
        if (EqualsNoCase(name, "Default")) {
            if (manager && !child.Attr("name").empty())
                manager->AddDefaultAttributeList(child.Attr("name"), child.Attr("value"));
            continue;
        }
        if (EqualsNoCase(name, "Image")) {
            continue;
        }
        if (EqualsNoCase(name, "Include")) {
            std::string source = child.Attr("source");
            int count =
                child.Attr("count").empty() ? 1 : std::clamp(ToInt(child.Attr("count")), 0, kMaxIncludeCount);
            if (source.empty())
                continue;
            if (m_includeDepth >= kMaxIncludeDepth) {
                platform::DebugPrintf("dui: includes nested too deep at '%s'\n", source.c_str());
                continue;
            }
            ++m_includeDepth;
            for (int i = 0; i < count; ++i) {
                CDialogBuilder sub;
                sub.m_includeDepth = m_includeDepth;
                CControlUI* built = sub.CreateFile(source, callback, manager, parent);
                if (!parent && built) {
                    if (!first)
                        first = built;
                    else
                        delete built;
                    break;
                }
                if (!first)
                    first = built;
            }
            --m_includeDepth;
            continue;
        }

        CControlUI* control = nullptr;
        for (const OwnElement& e : kOwnElements) {
            if (EqualsNoCase(name, e.name)) {
                control = e.create();
                break;
            }
        }
        if (!control && callback)
            control = callback->CreateControl(name);
        if (!control)
            control = CControlFactory::GetInstance()->CreateControl(name);
        // Registered classes carry their C...UI names; layouts name them by the short form.
        if (!control)
            control = CControlFactory::GetInstance()->CreateControl("C" + name + "UI");
        if (!control) {
            platform::DebugPrintf("dui: unknown element '%s' left out\n", name.c_str());
            continue;
        }

        // Children first, so attributes that refer to them (a tab's "selectedid") find them.
        if (!child.children.empty())
            Parse(child, control, callback, manager);

        // Attributes with the manager at hand (fonts, option groups), defaults first.
        if (manager) {
            control->SetManager(manager, nullptr, false);
            std::string defaults = manager->GetDefaultAttributeList(name);
            if (!defaults.empty())
                control->ApplyAttributeList(defaults);
        }
        for (const auto& [key, value] : child.attributes)
            control->SetAttribute(key, value);
        if (manager)
            control->SetManager(nullptr, nullptr, false);

        if (parent) {
            auto* container = static_cast<IContainerUI*>(parent->GetInterface("IContainer"));
            if (!container || !container->Add(control)) {
                platform::DebugPrintf("dui: element '%s' cannot be added to '%s'\n", name.c_str(),
                                      parent->GetClass().c_str());
                delete control;
                continue;
            }
        }
        if (!first) {
            first = control;
            if (!parent)
                break; // a tree has one root control
        }
    }
    return first;
}

} // namespace dui

#pragma once
// CControlFactory: the registry of control classes that layout files may name as elements, beyond the
// library's own. Names compare without regard to case.

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace dui {

class CControlUI;

using CreateClass = CControlUI* (*)();

class CControlFactory
{
public:
    static CControlFactory* GetInstance();

    // Registers (or replaces) the creator of a class name.
    void RegistControl(std::string_view name, CreateClass creator);
    // A fresh control of the class, or nullptr when the name is not registered.
    CControlUI* CreateControl(std::string_view name) const;
    bool IsRegistered(std::string_view name) const;

private:
    CControlFactory() = default;

    mutable std::mutex m_lock;                     // owner: the registry map
    std::map<std::string, CreateClass> m_creators; // keys lower-case
};

} // namespace dui

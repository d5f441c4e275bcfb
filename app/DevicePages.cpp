#include "app/DevicePages.h"

#include "devices/NimbrelUSBDevice.h"

// First cut: the operations are being filled in; every one is safe to call.

CDevicePages::CDevicePages(dui::CPaintManagerUI& paintManager, dui::IDialogBuilderCallback* factory,
                           dui::HWND owner, Hooks hooks)
    : paintManager_(paintManager), factory_(factory), owner_(owner), hooks_(std::move(hooks))
{
}

CDevicePages::~CDevicePages() = default;

void CDevicePages::CreateBuiltInPages() {}
void CDevicePages::OnDeviceArrived(int) {}
void CDevicePages::OnDeviceRemoved(int) {}
void CDevicePages::OnWirelessLink(int, bool) {}
void CDevicePages::OnSelectionChanged() {}
void CDevicePages::SelectNeighbour(int) {}
void CDevicePages::UpdateNoDeviceLink() {}

CNimbrelUSBDevice* CDevicePages::CurrentDevice() const
{
    return nullptr;
}

std::vector<CDeviceOptionUI*> CDevicePages::Tiles() const
{
    return {};
}

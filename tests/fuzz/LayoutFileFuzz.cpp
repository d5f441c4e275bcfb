// Feeds arbitrary bytes to the layout builder as a layout file; a tree that is built is laid out and
// painted small, so attribute values reach the layout and drawing code too.

#include "dui/Control.h"
#include "dui/DialogBuilder.h"
#include "dui/PaintManager.h"
#include "dui/testing/UiTestHarness.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    dui::testing::EnsureApplication();
    dui::CPaintManagerUI pm;
    pm.SetClientSize({64, 48});
    dui::CDialogBuilder builder;
    dui::CControlUI* root =
        builder.CreateFromData(std::string_view(reinterpret_cast<const char*>(data), size), nullptr, &pm);
    if (root) {
        pm.AttachDialog(root);
        pm.SetClientSize({64, 48}); // a Window size attribute must not make the surface huge
        dui::CRenderSurface surface(64, 48);
        pm.Paint(surface);
    }
    return 0;
}

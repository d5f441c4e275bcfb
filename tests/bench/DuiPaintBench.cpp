// Paint time of the keyboard preview: a 1000 x 640 window holding 170 key buttons, each drawing its key
// image and its light image tinted with the key's colour, as the 5 ms preview timer repaints it.

#include "dui/Button.h"
#include "dui/Container.h"
#include "dui/PaintManager.h"
#include "dui/RenderEngine.h"
#include "dui/testing/UiTestHarness.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

using namespace dui;

namespace {

constexpr int kKeys = 170;

// A key button with a tinted light image, as the device pages draw them.
class CBenchKeyButton : public CButtonUI
{
public:
    DWORD color = 0xFFFFFF;
    int bright = 255;
    void PaintStatusImage(HDC hDC) override
    {
        CButtonUI::PaintStatusImage(hDC);
        CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, "light.png", {}, color, bright,
                                       true);
    }
};

struct Window
{
    CPaintManagerUI pm;
    CRenderSurface surface{1000, 640};
    std::vector<CBenchKeyButton*> keys;

    Window()
    {
        dui::testing::EnsureApplication();
        std::filesystem::path dir = std::filesystem::temp_directory_path() / "dui-bench";
        std::filesystem::create_directories(dir);
        MakeImage(dir / "key.png", 0xFF282828, 0xFF787878);
        MakeImage(dir / "light.png", 0x00000000, 0xFFFFFFFF);
        CPaintManagerUI::SetResourcePath(dir.string());
        pm.SetClientSize({1000, 640});
        auto* root = new CContainerUI;
        root->SetBkColor(0xFF202020);
        for (int i = 0; i < kKeys; ++i) {
            auto* key = new CBenchKeyButton;
            key->SetFloat(true);
            key->SetFixedXY({20 + (i % 17) * 56, 40 + (i / 17) * 56});
            key->SetFixedWidth(52);
            key->SetFixedHeight(52);
            key->SetNormalImage("file='key.png' corner='3,3,3,3'");
            root->Add(key);
            keys.push_back(key);
        }
        pm.AttachDialog(root);
    }
    static void MakeImage(const std::filesystem::path& path, DWORD inner, DWORD frame)
    {
        CRenderSurface s(40, 40);
        s.Painter().FillRect({0, 0, 40, 40}, frame);
        s.Painter().FillRect({5, 5, 35, 35}, inner);
        s.SavePng(path.string());
    }
};

// Colours that stay the same between frames (a static effect): tinted images come from the cache.
void BM_PaintKeyboardStatic(benchmark::State& state)
{
    Window w;
    for (int i = 0; i < kKeys; ++i)
        w.keys[i]->color = static_cast<DWORD>(i * 0x010203) & 0xFFFFFF;
    for (auto _ : state) {
        w.pm.Invalidate();
        w.pm.Paint(w.surface);
        benchmark::DoNotOptimize(w.surface.Bits());
    }
}
BENCHMARK(BM_PaintKeyboardStatic)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Every key changes colour every frame (a spectrum effect): every light image is tinted anew.
void BM_PaintKeyboardChanging(benchmark::State& state)
{
    Window w;
    uint32_t frame = 0;
    for (auto _ : state) {
        ++frame;
        for (int i = 0; i < kKeys; ++i)
            w.keys[i]->color = (frame * 0x00030507u + static_cast<uint32_t>(i) * 0x0001020Bu) & 0xFFFFFF;
        w.pm.Invalidate();
        w.pm.Paint(w.surface);
        benchmark::DoNotOptimize(w.surface.Bits());
    }
}
BENCHMARK(BM_PaintKeyboardChanging)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Layout of the same window.
void BM_LayoutKeyboard(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.pm.NeedUpdate();
        w.pm.UpdateLayout();
    }
}
BENCHMARK(BM_LayoutKeyboard)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

#pragma once
// CEditUI: a one-line text entry. While it has the focus it takes typed characters and editing keys
// (backspace, delete, left, right, home, end); every change sends "textchanged", Enter sends "return";
// gaining and losing the focus send "setfocus" and "killfocus" (from the paint manager).
// "maxchar" limits the length (in characters), "numberonly" admits digits only, "readonly" refuses
// changes, "password" shows '*' for every character.
// In a shown window a one-line edit puts a native line edit over itself while it has the focus (same
// text, limits and notifications) and takes it away when the focus goes; without a window, or for
// multi-line text, it edits the text itself.

#include "dui/Label.h"

#include <memory>
#include <string>

namespace dui {

class CEditUI : public CLabelUI
{
public:
    CEditUI();
    ~CEditUI() override;

    std::string GetClass() const override;
    void* GetInterface(std::string_view name) override;
    UINT GetControlFlags() const override;

    void SetText(std::string_view text) override;
    UINT GetMaxChar() const { return m_uMaxChar; }
    void SetMaxChar(UINT max);
    bool IsReadOnly() const { return m_bReadOnly; }
    void SetReadOnly(bool readOnly);
    bool IsPasswordMode() const { return m_bPasswordMode; }
    void SetPasswordMode(bool password);
    bool IsNumberOnly() const { return m_bNumberOnly; }
    void SetNumberOnly(bool numberOnly);
    // Caret position in characters.
    int GetCaret() const { return m_nCaret; }
    void SetCaret(int position);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;
    // The native editor follows the control when the layout moves it.
    void SetPos(RECT rc, bool needInvalidate = true) override;

    // True while the native line edit is shown over the control.
    bool HasNativeEditor() const;
    // Where the native line edit lies, in window client pixels (empty without one).
    RECT GetNativeEditorPos() const;
    // Test hook: the text as if the user had typed it into the native line edit (false without one).
    bool TypeIntoNativeEditor(std::string_view text);

protected:
    // Inserts a character at the caret; false when refused.
    virtual bool InsertChar(char32_t ch);
    // Handles an editing key; true when the key was one.
    virtual bool HandleKey(int key);
    void Changed();
    std::string DisplayText() const;

    std::u32string m_text;
    int m_nCaret = 0;
    UINT m_uMaxChar = 255;
    bool m_bReadOnly = false;
    bool m_bPasswordMode = false;
    bool m_bNumberOnly = false;
    bool m_bWantReturn = false;
    UINT m_uButtonState = 0;
    std::string m_sNormalImage;
    std::string m_sHotImage;
    std::string m_sFocusedImage;
    std::string m_sDisabledImage;
    DWORD m_dwEditBkColor = 0;

private:
    struct NativeEditor;
    void ShowNativeEditor();
    void HideNativeEditor();
    // Mirrors text, limits and modes onto the native editor when there is one.
    void SyncNativeEditor();
    void PlaceNativeEditor();
    // The native editor's text became `text` with the caret at `caret`.
    void NativeTextEdited(std::u32string text, int caret);

    std::unique_ptr<NativeEditor> m_native;
};

// UTF-8 ↔ UTF-32 helpers of the text controls.
std::u32string Utf8ToUtf32(std::string_view text);
std::string Utf32ToUtf8(std::u32string_view text);

} // namespace dui

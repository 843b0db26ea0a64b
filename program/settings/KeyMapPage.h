// Tab 0 of the settings dialog: one of the five schemes on 36 key buttons, edited key by key in a
// working copy that is saved to its slot's key-map file, renamed, or made the current scheme.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/dialog/Dialog.h"
#include "keyboard/Pelokey.h"
#include "scheme/FangAnSlots.h"
#include "scheme/KeyMapFangAn.h"

class CKeyMapPage : public pelo::dialog::DialogT<CKeyMapPage> {
public:
    CKeyMapPage();

    static const pelo::dialog::HandlerTable<CKeyMapPage>& Handlers();
    static const std::vector<pelo::dialog::ExchangeRow<CKeyMapPage>>& ExchangeRows();

    [[nodiscard]] int IsModified() const { return m_bModified; }
    [[nodiscard]] int SlotNumber() const { return m_nSlot; }
    [[nodiscard]] const CKeyMapFangAn& WorkingFangAn() const { return m_WorkingFangAn; }
    [[nodiscard]] const FangAnNameTable& FangAnNames() const { return m_szFangAnNames; }
    // Writes the working scheme under its name-table entry to its slot's key-map file; the
    // result is the save's (0 for a slot outside 1 to 5). A save into the current slot's file
    // also puts the saved table into the current scheme, so that the program, which writes the
    // current scheme back at exit, never overwrites the saved edits with an older table; a failed
    // save leaves the current scheme alone.
    int SaveWorkingFangAn();
    // The same save; when it fails, a box names the file and ends with `outcome`, what became of
    // the action that wanted the save. The page keeps its edits either way.
    bool SaveWorkingFangAnOrWarn(const wchar_t* outcome);

    std::wstring TooLongMessage(int maxChars) const override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { } // Enter inside the page closes nothing
    void OnCancel() override { } // nor does Esc
    bool PreTranslateMessage(MSG& msg) override;

private:
    void ShowWorkingFangAn();
    void ReplaceComboEntry(int index, const char16_t* name);
    void ReleaseSelectedKey();
    // The line under the keys that names the selected key's two characters (empty without one).
    void ShowKeyNames();
    HWND MessageOwner() const;

    LRESULT OnKeyDown(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    void OnSchemeChange();
    void OnRename();
    void OnUseScheme();
    void OnTChar1Change();
    void OnTChar2Change();
    void OnTCharChange(int which);

    int m_bKeySelected = 0;
    CPelokey* m_pSelectedKey = nullptr;
    FangAnNameTable m_szFangAnNames = {};
    int m_nSlot = 1;
    CKeyMapFangAn m_WorkingFangAn;
    int m_bModified = 0;
    HWND m_ComboBox = nullptr;
    CPelokey m_axKey[KEY_COUNT];
    std::wstring m_strKey;
    std::wstring m_strTChar1;
    std::wstring m_strTChar2;
};

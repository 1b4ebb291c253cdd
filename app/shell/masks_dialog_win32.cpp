#include "app/shell/masks_dialog_win32.h"

#include <stdexcept>
#include <utility>

#include "app/options/options.h"
#include "app/scan/masks.h"
#include "app/shell/settings_win32.h"
#include "common/messagebox.h"
#include "common/text.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/win32/registry.h"
#include "resources/VarnokScan/resource.h"

bool ExcludeHalfActive = false;

namespace {

class InputWindow : public Dialog {
public:
    InputWindow(std::string title, std::string prompt, DWORD helpId, std::string& text)
        : title_(std::move(title)), prompt_(std::move(prompt)), helpId_(helpId), text_(text) {}
    bool Run(HWND owner) { return Dialog::Run(owner, IDD_INPUT) == IDC_OK_BUTTON; }

private:
    bool OnInit() override {
        SetWindowTextA(handle(), title_.c_str());
        SetItemText(handle(), IDC_INPUT_PROMPT, prompt_);
        SendDlgItemMessageA(handle(), IDC_INPUT_EDIT, EM_LIMITTEXT, 255, 0);
        SetItemText(handle(), IDC_INPUT_EDIT, text_);
        SetWindowContextHelpId(handle(), helpId_);
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (id != IDC_OK_BUTTON) return Dialog::OnCommand(id, code, control);
        text_ = GetItemText(handle(), IDC_INPUT_EDIT).substr(0, 255);
        End(IDC_OK_BUTTON);
        return true;
    }

    std::string title_, prompt_;
    DWORD helpId_;
    std::string& text_;
};

class MasksWindow : public Dialog {
public:
    bool Run(HWND owner) { return Dialog::Run(owner, "LISTBOX") == IDC_OK_BUTTON; }

private:
    int combo() const { return ExcludeHalfActive ? IDC_MASK_EXCLUDE_COMBO : IDC_MASK_INCLUDE_COMBO; }
    int listBox() const { return ExcludeHalfActive ? IDC_MASK_EXCLUDE_LIST : IDC_MASK_INCLUDE_LIST; }
    MaskList& active() { return ExcludeHalfActive ? exclude_ : include_; }
    MaskList& other() { return ExcludeHalfActive ? include_ : exclude_; }

    void fill(int id, const MaskList& masks) {
        SendDlgItemMessageA(handle(), id, LB_RESETCONTENT, 0, 0);
        for (const std::string& mask : masks)
            SendDlgItemMessageA(handle(), id, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(mask.c_str()));
    }
    void showLists() {
        fill(IDC_MASK_INCLUDE_LIST, include_);
        fill(IDC_MASK_EXCLUDE_LIST, exclude_);
    }

    void add(const std::string& text) {
        AddMaskText(text, active(), other(), [this](const std::string& mask) {
            return ShowMessageBox(handle(),
                                  "Sorry, but mask " + QuotedInMessage(mask) +
                                      " present in anower list. Delete from anower list?",
                                  "Please confirm...", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
        });
        showLists();
    }

    int selected() const { return static_cast<int>(SendDlgItemMessageA(handle(), listBox(), LB_GETCURSEL, 0, 0)); }

    bool OnInit() override {
        // The dialog shows the stored lists; until OK the ones in use stay as they are.
        MaskList inUseIncluded = slIncludedFiles, inUseExcluded = slExcludedFiles;
        LoadMasks();
        include_ = std::exchange(slIncludedFiles, std::move(inUseIncluded));
        exclude_ = std::exchange(slExcludedFiles, std::move(inUseExcluded));
        FillComboFromStrings(handle(), IDC_MASK_INCLUDE_COMBO, IDS_MASK_GROUP_FIRST);
        FillComboFromStrings(handle(), IDC_MASK_EXCLUDE_COMBO, IDS_MASK_GROUP_FIRST);
        showLists();
        SetWindowContextHelpId(handle(), IDH_MASKS);
        return true;
    }

    bool OnCommand(int id, int code, HWND control) override {
        // Focus moving in or out of a combo or list box says which half is in use.
        if (code == 3 || code == 4) ExcludeHalfActive = id == IDC_MASK_EXCLUDE_COMBO || id == IDC_MASK_EXCLUDE_LIST;
        switch (id) {
        case IDC_ADD_MASK: {
            const LRESULT picked = SendDlgItemMessageA(handle(), combo(), CB_GETCURSEL, 0, 0);
            add(picked != CB_ERR ? LoadStr(IDS_MASK_TEXT_FIRST + static_cast<UINT>(picked))
                                 : GetItemText(handle(), combo()).substr(0, 255));
            return true;
        }
        case IDC_EDIT_MASK: {
            const int at = selected();
            if (at < 0 || at >= static_cast<int>(active().size())) {
                ShowMessageBox(handle(),
                               "Noting to edit! Please select mask in one of the list and click \"Edit\" button again.",
                               "Message", mb::kIconHand);
                return true;
            }
            std::string text = active()[static_cast<size_t>(at)];
            if (InputDialog(handle(), "Edit mask...", "Please modify this mask:", IDH_EDIT_MASK, text)) {
                active().erase(active().begin() + at);
                add(text);
            }
            return true;
        }
        case IDC_DELETE_MASK: {
            const int at = selected();
            if (at < 0 || at >= static_cast<int>(active().size())) {
                ShowMessageBox(nullptr,
                               "Noting to delete! Please select mask in one of the list and click \"Delete\" button "
                               "again.",
                               "Message", mb::kIconHand);
                return true;
            }
            if (ShowMessageBox(handle(), "Delete mask " + QuotedInMessage(active()[static_cast<size_t>(at)]) + " from the list?",
                               "Please confirm...", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes) {
                active().erase(active().begin() + at);
                showLists();
            }
            return true;
        }
        case IDC_OK_BUTTON: {
            MaskList includedBefore = std::exchange(slIncludedFiles, include_);
            MaskList excludedBefore = std::exchange(slExcludedFiles, exclude_);
            try {
                if (!SaveMasks()) throw std::runtime_error("Can not save the masks: the program's registry key can not be opened.");
            } catch (const std::exception& e) {
                // Nothing stays stored: the lists in use stay, what was stored of the change
                // (the include list, when the exclude list failed) is put back, and the dialog
                // stays open with the edits.
                slIncludedFiles = std::move(includedBefore);
                slExcludedFiles = std::move(excludedBefore);
                try {
                    SaveMasks();
                } catch (const std::exception&) {
                    // The list that failed was never stored over: the old one is still there.
                }
                ShowMessageBox(handle(), e.what(), "This is error message! I am sorry...", mb::kIconHand);
                return true;
            }
            End(IDC_OK_BUTTON);
            return true;
        }
        }
        return Dialog::OnCommand(id, code, control);
    }

    MaskList include_, exclude_;
};

}  // namespace

bool InputDialog(HWND owner, const std::string& title, const std::string& prompt, DWORD helpId, std::string& text) {
    std::string edited = text;
    if (!InputWindow(title, prompt, helpId, edited).Run(owner)) return false;
    text = edited;
    return true;
}

bool MasksDialog(HWND owner) { return MasksWindow().Run(owner); }

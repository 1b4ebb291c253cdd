#include "app/shell/tips_win32.h"

#include <fstream>
#include <random>

#include "app/shell/tips.h"
#include "common/messagebox.h"
#include "common/product.h"
#include "common/ui/dialog.h"
#include "common/ui/dialog_helpers.h"
#include "common/win32/module.h"
#include "common/win32/registry.h"
#include "resources/VarnokScan/resource.h"

int32_t TipIndex = -1;

namespace {

std::string tipsBytes;
int32_t tipsCount = 0;

std::mt19937& generator() {
    static std::mt19937 random(GetTickCount());  // seeded once a run
    return random;
}

class TipsWindow : public Dialog {
public:
    INT_PTR Run(HWND owner) { return Dialog::Run(owner, IDD_TIPS); }

private:
    bool OnInit() override {
        // Beside the program, not in whatever the current folder is: a
        // shortcut that starts elsewhere must still find the tips.
        tipsCount = LoadTips(ProgramFolder() + "tips.dat");
        if (tipsCount < 0) {
            ShowMessageBox(nullptr, "Can not read tips and tricks base file!", "Error", mb::kIconHand);
            close(IDCANCEL);
            return true;
        }
        if (TipIndex < 0 && tipsCount > 0)
            TipIndex = std::uniform_int_distribution<int32_t>(0, tipsCount - 1)(generator());
        show();
        SetCheck(handle(), IDC_TIP_AT_START, ShowTipsAtStart());
        SetFocus(item(IDCANCEL));  // the tip is read, not selected for editing
        return false;
    }

    void show() {
        SetItemText(handle(), IDC_TIP_TEXT, TipText(tipsBytes, TipIndex));
        EnableWindow(item(IDC_TIP_PREVIOUS), TipIndex > 0);
        EnableWindow(item(IDC_TIP_NEXT), TipIndex < tipsCount - 1);
    }

    // Closes whatever becomes of the choice: a key that cannot be opened is
    // told, and the window still goes.
    void close(int id) {
        try {
            if (auto registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey))
                registry->WriteInteger("bShowTips", IsChecked(handle(), IDC_TIP_AT_START) ? 1 : 0);
        } catch (const RegistryError&) {
            ShowMessageBox(handle(),
                           "Can not save the choice of showing tips at startup: the program's registry key can not be "
                           "opened.",
                           "Error", mb::kIconHand);
        }
        tipsBytes.clear();
        End(id);
    }

    void OnCancel() override { close(IDCANCEL); }

    bool OnCommand(int id, int code, HWND control) override {
        switch (id) {
        case IDC_TIP_NEXT:
            if (TipIndex < tipsCount - 1) {
                ++TipIndex;
                show();
            }
            return true;
        case IDC_TIP_PREVIOUS:
            if (TipIndex > 0) {
                --TipIndex;
                show();
            }
            return true;
        case IDOK:
            close(IDOK);
            return true;
        }
        return Dialog::OnCommand(id, code, control);
    }
};

}  // namespace

int32_t LoadTips(const std::string& fileName) {
    tipsBytes.clear();
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) return -1;
    const std::streamoff size = in.tellg();
    if (size < 0 || static_cast<uint64_t>(size) > kMaxTipsFileBytes) return -1;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (!in.seekg(0) || !in.read(bytes.data(), size)) return -1;
    tipsBytes = std::move(bytes);
    return CountTips(tipsBytes);
}

bool ShowTips(HWND owner, int32_t startIndex) {
    TipIndex = startIndex;
    return TipsWindow().Run(owner) != -1;
}

bool ShowTipsAtStart() {
    std::unique_ptr<TMYREGISTRY> registry;
    try {
        registry = TMYREGISTRY::Create(HKEY_CURRENT_USER, product::kRegistryKey);
    } catch (const RegistryError&) {
    }
    if (!registry) return true;
    return registry->ReadInteger("bShowTips") == 1;
}

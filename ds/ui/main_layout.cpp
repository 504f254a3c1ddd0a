#include "ui/main_layout.h"

#include "twain/source_state.h"

namespace lx9 {

int LanguageIndex() {
    return language == 1 || language == 2 ? language : 0;
}

const MainTexts& MainTextsOfLanguage() {
    return mainTexts[LanguageIndex()];
}

int CellOfButton(int id) {
    for (int n = 0; n < kCells; ++n) {
        if (cellControls[n].button == id) return n;
    }
    return -1;
}

}  // namespace lx9

#include "dialogs/win32/map_search_dialog.h"

namespace qf {

int DialogMapSearch::askForMap(ObjImporter&) {
    (void)module_;
    (void)owner_;
    return 0;
}

}  // namespace qf

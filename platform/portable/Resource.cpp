#include "platform/Resource.h"

#include <algorithm>
#include <cstring>

namespace {

const ResourceTables* g_tables = nullptr;

template <typename T>
const T* FindById(std::span<const T> table, UINT id)
{
    auto it = std::find_if(table.begin(), table.end(), [id](const T& t) { return t.id == id; });
    return it == table.end() ? nullptr : &*it;
}

}  // namespace

void AfxSetResourceTables(const ResourceTables* tables) { g_tables = tables; }
const ResourceTables* AfxGetResourceTables() { return g_tables; }

const DialogTemplate* AfxFindDialogTemplate(UINT id)
{
    return g_tables ? FindById(g_tables->dialogs, id) : nullptr;
}

const MenuTemplate* AfxFindMenuTemplate(UINT id)
{
    return g_tables ? FindById(g_tables->menus, id) : nullptr;
}

const AccelTableTemplate* AfxFindAccelTable(UINT id)
{
    return g_tables ? FindById(g_tables->accelerators, id) : nullptr;
}

const ImageTemplate* AfxFindIcon(UINT id) { return g_tables ? FindById(g_tables->icons, id) : nullptr; }

const ImageTemplate* AfxFindBitmap(UINT id)
{
    return g_tables ? FindById(g_tables->bitmaps, id) : nullptr;
}

const char* AfxFindString(UINT id)
{
    const StringTemplate* s = g_tables ? FindById(g_tables->strings, id) : nullptr;
    return s ? s->text : nullptr;
}

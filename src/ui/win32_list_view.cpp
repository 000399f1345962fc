#include "win32_list_view.h"

#include <commctrl.h>

#include <string>

#include "win32_utf16.h"

// The wide messages throughout: the program is Unicode at the Win32 boundary.

void Win32ListView::InsertColumn(int index, const std::string& title, int widthPx) {
    std::wstring text = WideFromUtf8(title);
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = widthPx;
    column.pszText = &text[0];
    SendMessageW(m_control, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void Win32ListView::DeleteColumn(int index) { ListView_DeleteColumn(m_control, index); }

void Win32ListView::InsertRow(int index, const std::string& text) {
    std::wstring cell = WideFromUtf8(text);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = &cell[0];
    SendMessageW(m_control, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32ListView::SetCellText(int row, int column, const std::string& text) {
    std::wstring cell = WideFromUtf8(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = &cell[0];
    SendMessageW(m_control, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The journal's list only, whose cells have no colours of their own.
void Win32ListView::DeleteRow(int index) { ListView_DeleteItem(m_control, index); }

void Win32ListView::DeleteAllRows() {
    ListView_DeleteAllItems(m_control);
    m_cellColours.clear();
}

int Win32ListView::RowCount() { return ListView_GetItemCount(m_control); }

std::string Win32ListView::CellText(int row, int column) {
    // The control tells how much it copied, not how long the text is: a
    // buffer it filled to the last place may have cut the text, so try a larger one.
    std::wstring text(64, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = &text[0];
        item.cchTextMax = static_cast<int>(text.size());
        const auto copied = static_cast<size_t>(
            SendMessageW(m_control, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        if (copied + 1 < text.size()) return Utf8FromWide(text.substr(0, copied));
        text.resize(text.size() * 2);
    }
}

void Win32ListView::SetTextBackgroundColour(uint32_t colour) {
    m_background = colour;
    ListView_SetTextBkColor(m_control, colour);
}

void Win32ListView::SetTextColour(uint32_t colour) {
    m_textColour = colour;
    ListView_SetTextColor(m_control, colour);
}

void Win32ListView::SetCellColours(int row, int column, const std::optional<CellColours>& colours) {
    const auto cell = std::make_pair(row, column);
    const auto found = m_cellColours.find(cell);
    const bool had = found != m_cellColours.end();
    if (had && colours && found->second == *colours) return;
    if (!had && !colours) return;
    if (colours) {
        m_cellColours[cell] = *colours;
    } else {
        m_cellColours.erase(found);
    }
    ListView_RedrawItems(m_control, row, row);
}

LRESULT Win32ListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT: return m_cellColours.empty() ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        // Colours set for one cell stay for the next: every cell is given its own.
        const auto found = m_cellColours.find({static_cast<int>(draw.nmcd.dwItemSpec), draw.iSubItem});
        const bool own = found != m_cellColours.end();
        draw.clrText = own ? found->second.text : m_textColour;
        draw.clrTextBk = own ? found->second.background : m_background;
        return CDRF_NEWFONT;
    }
    default: return CDRF_DODEFAULT;
    }
}

// A mask of 0 means every style: the set given replaces the old one.
void Win32ListView::SetExtendedStyles(uint32_t styles) { ListView_SetExtendedListViewStyleEx(m_control, 0, styles); }

void Win32ListView::SetRowHeight(int pixels) {
    // A list view makes its rows as high as its small images. The image list
    // holds no image; the control owns it and destroys it with itself.
    HIMAGELIST heightOnly = ImageList_Create(1, pixels, ILC_COLOR32 | ILC_MASK, 1, 0);
    if (heightOnly == nullptr) return;
    if (HIMAGELIST old = ListView_SetImageList(m_control, heightOnly, LVSIL_SMALL)) ImageList_Destroy(old);
}

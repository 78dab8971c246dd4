#include "break_panel.h"

#include "break_dialogs.h"
#include "events.h"

#include "core/debug_engine.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

BreakPanel::BreakPanel(wxWindow *parent, const wxPoint &pos, int height, std::function<void()> changed)
    : wxPanel(parent, wxID_ANY, pos, wxSize(WIDTH, height), wxTAB_TRAVERSAL, "BreakPanel"), changed_(std::move(changed))
{
    wxFont font(8, wxFONTFAMILY_TELETYPE, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL);
    reason_ = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(-1, 56),
                             wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP, wxDefaultValidator, "BreakReason");
    reason_->SetFont(font);
    list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLC_REPORT | wxLC_SINGLE_SEL,
                           wxDefaultValidator, "BreakList");
    list_->SetFont(font);
    list_->EnableCheckBoxes();
    list_->AppendColumn("#", wxLIST_FORMAT_LEFT, 56);
    list_->AppendColumn("Where", wxLIST_FORMAT_LEFT, 124);
    list_->AppendColumn("When", wxLIST_FORMAT_LEFT, 106);
    list_->AppendColumn("Hits", wxLIST_FORMAT_RIGHT, 44);
    list_->Bind(wxEVT_LIST_ITEM_CHECKED, [this](wxListEvent &e) { on_checked(e, true); });
    list_->Bind(wxEVT_LIST_ITEM_UNCHECKED, [this](wxListEvent &e) { on_checked(e, false); });

    auto *buttons = new wxBoxSizer(wxHORIZONTAL);
    auto button = [&](const char *label, std::function<void()> action) {
        auto *b = new wxButton(this, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        b->Bind(wxEVT_BUTTON, [this, action](wxCommandEvent &) {
            action();
            changed_();
        });
        buttons->Add(b, 1, wxRIGHT, 2);
    };
    button("Break...", [this] { break_add_dialog(this); });
    button("Watch...", [this] { watch_add_dialog(this); });
    button("Remove", [this] { remove_selected(); });
    button("Clear", [] {
        orv_break_clear();
        orv_watch_clear();
        event_log("debugger cleared breakpoints and watchpoints");
    });

    auto *top = new wxBoxSizer(wxVERTICAL);
    top->Add(reason_, 0, wxEXPAND | wxALL, 2);
    top->Add(list_, 1, wxEXPAND | wxLEFT | wxRIGHT, 2);
    top->Add(buttons, 0, wxEXPAND | wxALL, 2);
    SetSizer(top);
    Layout();
}

void BreakPanel::refresh()
{
    std::vector<break_row> rows = break_rows();
    if (rows == rows_)
        return;
    long keep = -1;
    if (const break_row *was = selected())
        for (size_t i = 0; i < rows.size(); i++)
            if (rows[i].kind == was->kind && rows[i].id == was->id)
                keep = static_cast<long>(i);
    rows_ = std::move(rows);
    filling_ = true;
    list_->DeleteAllItems();
    for (size_t i = 0; i < rows_.size(); i++) {
        const break_row &r = rows_[i];
        long item = list_->InsertItem(static_cast<long>(i), wxString::FromUTF8(break_row_name(r)));
        list_->SetItem(item, 1, wxString::FromUTF8(r.where));
        list_->SetItem(item, 2, wxString::FromUTF8(r.detail));
        list_->SetItem(item, 3, wxString::Format("%ld", r.hits));
        list_->CheckItem(item, r.enabled);
    }
    if (keep >= 0)
        list_->SetItemState(keep, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    filling_ = false;
}

void BreakPanel::show_reason(const wxString &text)
{
    reason_->ChangeValue(text);
}

const break_row *BreakPanel::selected() const
{
    long item = list_->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
    if (item < 0 || static_cast<size_t>(item) >= rows_.size())
        return nullptr;
    return &rows_[static_cast<size_t>(item)];
}

bool BreakPanel::remove_selected()
{
    const break_row *r = selected();
    if (!r)
        return false;
    event_log("debugger removed %s", break_row_name(*r).c_str());
    return r->kind == 'B' ? orv_break_remove(r->id) : orv_watch_remove(r->id);
}

bool BreakPanel::toggle_selected()
{
    const break_row *r = selected();
    if (!r)
        return false;
    const bool on = !r->enabled;
    event_log("debugger %s %s", on ? "enabled" : "disabled", break_row_name(*r).c_str());
    return r->kind == 'B' ? orv_break_enable(r->id, on) : orv_watch_enable(r->id, on);
}

void BreakPanel::on_checked(wxListEvent &event, bool on)
{
    if (filling_)
        return;
    const long item = event.GetIndex();
    if (item < 0 || static_cast<size_t>(item) >= rows_.size())
        return;
    const break_row &r = rows_[static_cast<size_t>(item)];
    if (r.kind == 'B')
        orv_break_enable(r.id, on);
    else
        orv_watch_enable(r.id, on);
    event_log("debugger %s %s", on ? "enabled" : "disabled", break_row_name(r).c_str());
    // The list is rebuilt by the refresh: not inside its own event.
    CallAfter([this] { changed_(); });
}

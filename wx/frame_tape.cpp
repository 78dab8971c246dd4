// The tape deck from the Tape menu and its keys (End plays or stops, F8
// rewinds), and the Recent submenus of the File menu.
#include "main_frame.h"

#include "events.h"
#include "kept_settings.h"
#include "pane.h"
#include "tape.h"

#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include <algorithm>

void MyFrame::tape_command(int id)
{
    if (id == ID_TAPE_LOAD) {
        wxCommandEvent event;
        OnLoadK7(event);
        return;
    }
    tape_deck &deck = tape();
    if (!deck.loaded()) {
        show_status("No tape: Tape, Load tape");
        return;
    }
    switch (id) {
    case ID_TAPE_PLAY:
        if (deck.state() == tape_state::playing)
            deck.stop();
        else
            deck.play();
        break;
    case ID_TAPE_REWIND: deck.rewind(); break;
    case ID_TAPE_BACK: deck.seek(std::max(0.0, deck.position() - TAPE_STEP_SECONDS)); break;
    case ID_TAPE_FORWARD: deck.seek(std::min(deck.length(), deck.position() + TAPE_STEP_SECONDS)); break;
    case ID_TAPE_SEEK: seek_dialog(); break;
    case ID_TAPE_EJECT:
        deck.eject();
        show_status("Tape ejected");
        update_title();
        break;
    default: break;
    }
    event_log("tape %s at %.1f s", tape_status_text().c_str(), deck.loaded() ? deck.position() : 0.0);
    refresh_status();
}

void MyFrame::seek_dialog()
{
    tape_deck &deck = tape();
    wxTextEntryDialog dialog(this,
                             wxString::Format("Go to (minutes:seconds, the tape is %s long):",
                                              tape_time_text(deck.length())),
                             "Tape", wxString::FromUTF8(tape_time_text(deck.position())));
    if (dialog.ShowModal() != wxID_OK)
        return;
    double seconds;
    std::string text(dialog.GetValue().utf8_str());
    if (!tape_time_parse(text, seconds)) {
        show_status("Not a time: " + text + " (minutes:seconds, or seconds)");
        return;
    }
    deck.seek(std::min(seconds, deck.length()));
    panel_->SetFocus();
}

void MyFrame::fill_recent(int first_id, const recent_list &list, const wxString &title)
{
    wxMenuBar *bar = GetMenuBar();
    wxMenu *file = bar ? bar->GetMenu(0) : nullptr;
    if (!file)
        return;
    int index = file->FindItem(title);
    wxMenuItem *item = index == wxNOT_FOUND ? nullptr : file->FindItem(index);
    wxMenu *menu = item ? item->GetSubMenu() : nullptr;
    if (!menu)
        return;
    while (menu->GetMenuItemCount() > 0)
        menu->Destroy(menu->FindItemByPosition(0));
    const auto &paths = list.items();
    for (size_t i = 0; i < paths.size() && i < 10; i++) {
        // "&&" shows one ampersand; the number is the entry's key.
        wxString label = wxString::FromUTF8(paths[i]);
        label.Replace("&", "&&");
        menu->Append(first_id + static_cast<int>(i), wxString::Format("&%d %s", static_cast<int>((i + 1) % 10), label));
    }
    if (paths.empty())
        menu->Append(first_id, "(none)")->Enable(false);
}

void MyFrame::open_recent(int id)
{
    bool cartridge = id < ID_RECENT_TAPE;
    const recent_list &list = cartridge ? kept().recent_cartridges : kept().recent_tapes;
    size_t index = static_cast<size_t>(id - (cartridge ? ID_RECENT_CARTRIDGE : ID_RECENT_TAPE));
    if (index >= list.items().size())
        return;
    wxString path = wxString::FromUTF8(list.items()[index]);
    if (cartridge)
        load_rom(path);
    else
        load_tape(path);
    sync_menus();
}

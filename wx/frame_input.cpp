// The keyboard's modes, pasting the clipboard, and key map files.
#include "main_frame.h"

#include "events.h"
#include "host_key_codes.h"
#include "kept_settings.h"
#include "keys.h"
#include "pane.h"

#include "frontend/key_map.h"

#include <wx/clipbrd.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>

namespace {

// The map in use (keys.cpp points at it).
key_map active_map;

} // namespace

void MyFrame::set_keyboard_mode(keyboard_mode mode)
{
    settings s = kept();
    s.keyboard = mode;
    choose(s);
    orv_keys_lost();
    keys_set_character_mode(mode == keyboard_mode::character);
    event_log("keyboard %s", mode == keyboard_mode::character ? "character" : "positional");
    show_status(mode == keyboard_mode::character ? "Keyboard: type what the key says"
                                                 : "Keyboard: positional");
}

void MyFrame::paste()
{
    wxString text;
    if (wxTheClipboard->Open()) {
        if (wxTheClipboard->IsSupported(wxDF_UNICODETEXT) || wxTheClipboard->IsSupported(wxDF_TEXT)) {
            wxTextDataObject data;
            if (wxTheClipboard->GetData(data))
                text = data.GetText();
        }
        wxTheClipboard->Close();
    }
    if (text.empty()) {
        show_status("Nothing to paste: the clipboard holds no text");
        return;
    }
    std::string utf8(text.utf8_str());
    size_t lacking = keys_paste(utf8);
    event_log("paste %zu bytes, %zu characters left out", utf8.size(), lacking);
    std::string message = "Pasting " + std::to_string(keys_paste_left()) + " characters";
    if (lacking)
        message += " (" + std::to_string(lacking) + " the machine does not have left out)";
    show_status(message);
}

void MyFrame::choose_key_map()
{
    wxFileDialog dialog(this, "Key map", "", "", "Key maps (*.txt;*.map;*.keys)|*.txt;*.map;*.keys|All files|*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    dialog.Centre();
    if (dialog.ShowModal() != wxID_OK)
        return;
    std::string path(dialog.GetPath().utf8_str());
    if (!use_key_map(path, true))
        return;
    settings s = kept();
    s.key_map = path;
    choose(s);
    sync_menus();
}

bool MyFrame::use_key_map(const std::string &path, bool tell)
{
    if (path.empty()) {
        keys_set_map(nullptr, nullptr);
        active_map = key_map();
        show_status("No key map: the keys as the program has them");
        return true;
    }
    key_map map;
    std::vector<std::string> errors;
    std::string why = key_map_load(path, map, errors);
    if (!why.empty()) {
        event_log("key map %s refused: %s", path.c_str(), why.c_str());
        if (tell)
            show_later("key map refused", "Key map " + path + " cannot be read: " + why, wxICON_WARNING);
        return false;
    }
    orv_keys_lost();
    active_map = map;
    keys_set_map(&active_map, wx_code_to_host_key);
    event_log("key map %s: %zu keys, %zu lines left out", path.c_str(), map.keys.size(), errors.size());
    if (!errors.empty() && tell) {
        std::string text = "Key map " + path + ": lines left out:";
        for (size_t i = 0; i < errors.size() && i < 10; i++)
            text += "\n" + errors[i];
        if (errors.size() > 10)
            text += "\nand " + std::to_string(errors.size() - 10) + " more";
        show_later("key map errors", text, wxICON_WARNING);
    }
    show_status("Key map " + path + ": " + std::to_string(map.keys.size()) + " keys");
    return true;
}

#include "tamsel_framework/messages.h"

#include <optional>
#include <string>

#include "cmplog/cstr.h"

namespace {

using platform::TableString;

// The string tables as the resource compiler builds them from the same
// entries (stringtable.rc): one block per resource language.
constexpr TableString compiledStrings[] = {
// Spanish, French and Italian carry the English texts of the older messages.
#define NICFW_MESSAGE(id, english, japanese) {NICFW_LANGUAGE, id, u"" english},
#define NICFW_MESSAGE_DE(id, english, german, japanese) {NICFW_LANGUAGE, id, u"" english},
#define NICFW_LANGUAGE platform::language_english_us
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) {NICFW_LANGUAGE, id, u"" english},
#include "stringtable.inc"
#undef NICFW_LANGUAGE
#undef NICFW_MESSAGE_ALL
#define NICFW_LANGUAGE platform::language_spanish
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) {NICFW_LANGUAGE, id, u"" spanish},
#include "stringtable.inc"
#undef NICFW_LANGUAGE
#undef NICFW_MESSAGE_ALL
#define NICFW_LANGUAGE platform::language_french_belgium
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) {NICFW_LANGUAGE, id, u"" french},
#include "stringtable.inc"
#undef NICFW_LANGUAGE
#undef NICFW_MESSAGE_ALL
#define NICFW_LANGUAGE platform::language_italian
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) {NICFW_LANGUAGE, id, u"" italian},
#include "stringtable.inc"
#undef NICFW_LANGUAGE
#undef NICFW_MESSAGE_ALL
#undef NICFW_MESSAGE_DE
#define NICFW_MESSAGE_DE(id, english, german, japanese) {NICFW_LANGUAGE, id, u"" german},
#define NICFW_LANGUAGE platform::language_german
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) {NICFW_LANGUAGE, id, u"" german},
#include "stringtable.inc"
#undef NICFW_LANGUAGE
#undef NICFW_MESSAGE
#undef NICFW_MESSAGE_DE
#undef NICFW_MESSAGE_ALL
#define NICFW_MESSAGE(id, english, japanese) {platform::language_japanese, id, u"" japanese},
#define NICFW_MESSAGE_DE(id, english, german, japanese) {platform::language_japanese, id, u"" japanese},
#define NICFW_MESSAGE_ALL(id, english, german, spanish, french, italian, japanese) \
    {platform::language_japanese, id, u"" japanese},
#include "stringtable.inc"
#undef NICFW_MESSAGE
#undef NICFW_MESSAGE_DE
#undef NICFW_MESSAGE_ALL
};

// The texts as the framework has always stored them, several repeating the
// English one.
constexpr const char16_t* codeMessages[CodeMessageRows][CodeMessageLanguages] = {
    // 1: unknown INF file type
    {u"Unknown INF file type -- installation will not continue.",
     u"Type de fichier INF inconnu -- installation interrompue",
     u"Unknown INF file type -- installation will not continue.",
     u"Unbekannter INF-Dateityp -- die Installation wird nicht fortgesetzt",
     u"Tipo de archivo INF desconocido. La instalación no continuará.",
     u"不明なINFファイル タイプです -- インストールを続行できません"},
    // 2: operating system not supported
    {u"The OS is not supported.\r\n", u"Le système d'exploitation n'est pas pris en charge\r\n",
     u"The OS is not supported.\r\n", u"Das Betriebssystem wird nicht unterstützt\r\n",
     u"El sistema operativo no es compatible.\r\n", u"このOSはサポートされていません。\r\n"},
    // 3: not enough disk space
    {u"There is not enough disk space to install this component.\r\n",
     u"Espace disque insuffisant pour l'installation du composant.\r\n",
     u"There is not enough disk space to install this component.\r\n",
     u"Für die Installation dieser Komponente steht nicht genügend freier Festplattenspeicherplatz zur Verfügung.\r\n",
     u"No dispone de suficiente espacio en el disco para instalar este componente.\r\n",
     u"このコンポーネントをインストールするために必要なディスク容量がありません。\r\n"},
    // 4: marked for removal
    {u"The component is marked for removal upon the next reboot.  Install can not continue.\r\n",
     u"Le composant sera supprimé au prochain démarrage.  L'installation ne peut pas continuer.\r\n",
     u"The component is marked for removal upon the next reboot.  Install can not continue.\r\n",
     u"Die markierte Komponente wird beim nächsten Neustart des Systems entfernt.  Die Installation kann nicht "
     u"fortgesetzt werden.\r\n",
     u"El componente está marcado para eliminarlo la próxima vez que reinicie.  La instalación no puede continuar.\r\n",
     u"このコンポーネントは次回のリブート時に削除されるようにマークされています。インストールを続行できません。\r\n"},
    // 5: no supported devices specified
    {u"No supported devices were specified.", u"Aucun périphérique pris en charge n'a été spécifié",
     u"No supported devices were specified.", u"Es wurden keine unterstützten Treiber angegeben",
     u"No se especificó ningún dispositivo compatible.", u"サポートされているデバイスが指定されていません。"},
    // 6: installation error
    {u"An error occurred during installation.", u"Erreur lors de l'installation",
     u"An error occurred during installation.", u"Während der Installation ist ein Fehler aufgetreten",
     u"Se produjo un error durante la instalación.", u"インストール中にエラーが発生しました。"},
    // 7: no devices found
    {u"No devices were found to install.", u"Pas de périphérique à installer", u"No devices were found to install.",
     u"Es wurden keine zu installierenden Geräte gefunden", u"No se encontró ningún dispositivo para instalar.",
     u"インストールするデバイスが見つかりませんでした。"},
    // 8: installation failed on a device
    {u"Installation failed on at least one device.  One of the devices may have been deleted through Device Manager "
     u"and a reboot may be necessary to complete the driver installation for this device.",
     u"L'installation a échoué sur un périphérique au moins. Il se peut que l'un des périphériques ait été supprimé "
     u"via le Gestionnaire de périphériques et qu'un réamorçage soit nécessaire pour achever l'installation du pilote "
     u"de ce périphérique.",
     u"Installazione non riuscita su almeno un dispositivo. Uno dei dispositivi potrebbe essere stato eliminato da "
     u"Gestione periferiche e potrebbe essere necessario riavviare il computer per completare l'installazione del "
     u"driver per questo dispositivo.",
     u"Die Installation auf mindestens einem Gerät ist fehlgeschlagen. Vielleicht wurde ein Gerät im Geräte-Manager "
     u"gelöscht, und der Computer muß zur vollständigen Installation des Treibers für dieses Gerät neu gestartet "
     u"werden.",
     u"La instalación ha fallado en un dispositivo como mínimo.  Quizá uno de los dispositivos se ha eliminado "
     u"mediante el Administrador de dispositivos y es necesario volver a arrancar para finalizar la instalación del "
     u"controlador de este dispositivo.",
     u"1つ以上のデバイスでインストールが失敗しました。デバイスのうちの1つがデバイス "
     u"マネージャによって削除された可能性があり、このデバイスのドライバのインストールを完了するには、再起動が必要な場合"
     u"があります。"},
    // 9: ShellExecute error
    {u"An error occurred during the ShellExecute command.", u"An error occurred during the ShellExecute command.",
     u"An error occurred during the ShellExecute command.", u"An error occurred during the ShellExecute command.",
     u"An error occurred during the ShellExecute command.", u"An error occurred during the ShellExecute command."},
};

constexpr const char16_t* languageCodes[CodeMessageLanguages] = {nullptr, u"fr", u"it", u"de", u"es", u"ja"};

}  // namespace

std::span<const TableString> CompiledStringTable() {
    return compiledStrings;
}

std::size_t LoadMessage(std::uint32_t id, char16_t* buffer, std::size_t capacity) {
    std::optional<std::u16string> text = platform::load_module_string(id, compiledStrings);
    return CopyToBuffer(buffer, capacity, text.value_or(std::u16string()));
}

int LanguageIndex(const char16_t* language) {
    if (language == nullptr) return 0;
    for (int index = 1; index < CodeMessageLanguages; ++index) {
        if (EqualsNoCase(language, languageCodes[index])) return index;
    }
    return 0;
}

const char16_t* CodeMessageText(int row, int column) {
    if (row < 1 || row > CodeMessageRows || column < 0 || column >= CodeMessageLanguages) return u"";
    return codeMessages[row - 1][column];
}

const char16_t* SelectMessage(int row, const char16_t* language) {
    return CodeMessageText(row, LanguageIndex(language));
}

const char16_t* SelectFallbackMessage(int row, const char16_t* language) {
    const char16_t* japanese = CodeMessageText(row, LanguageIndexJapanese);
    if (LanguageIndex(language) == LanguageIndexJapanese && *japanese != u'\0') return japanese;
    return CodeMessageText(row, 0);
}

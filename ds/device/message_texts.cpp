// The product's texts exactly as shipped, spelling included. Kept in UTF-8 here; NorvikLX9Core compiles them
// to Windows-1252 for the ANSI message boxes.
#include "device/message_texts.h"

namespace lx9 {

const MessageSet messageSets[3] = {
    {
        "Scan range is not determined.",
        "Communication Error.",
        "LX-9 is not connected ,or POWER Off.",
        "Hardware Error.  0x%2x",
        "Can't open Printer-Port (LPT1).",
        "Memory Empty.",
        "It's impossible to get Device ID.\nMaybe another device is connected.",
        "Standby Switch Off.",
        "Cartridge?",
        "Could not turn on Standby Switch.",
        "Errorcode Error.",
        "Frame is not selected.",
        "Please Scan after preview.",
        "It's impossible to select more than one.",
        "Do you want to eject cartridge?",
        "Confirm.",
        "Error",
    },
    {
        "Définition non sélectionnée.",
        "Erreur de comunication.",
        "LX-9 non connecté ou alimentation coupée.",
        "Erreur due au matériel.  0x%2x",
        "Port Imprimante impossible à ouvrir(LPT1).",
        "Mémoire insuffisante.",
        "Adresse du périphérique introuvable.\nVérifiez qu'aucun autre périphérique ne soit raccordé",
        "Mise en veille non validée.",
        "Cassette?",
        "Mise en veille impossible.",
        "Erreur de code erreur.",
        "Image non sélectionnée.",
        "Commencer la numérisation après avoir visualisé.",
        "Sélection multiple impossible.",
        "Voulez-vous faire ejecter la cassette?",
        "Confirmer.",
        "Erreur",
    },
    {
        "Abtastbereich nicht festgelegt.",
        "Übertragungsfehler.",
        "LX-9 ist nicht angeschlossen,\noder der Strom nicht eingeschaltet.",
        "Hardwarefehler.  0x%2x",
        "Zugang zum Druckeranschluß(LPT1) nicht möglich.",
        "Speicher leer.",
        "Geräte ID nicht verfügbar.\nEventuell ist ein anderes Gerät angeschlossen.",
        "Bereitschaftsschalter AUS.",
        "Kassette?",
        "Bereitschaftsschalter ließ sich nicht einschalten.",
        "Fehlerkodefehler.",
        "Kein Bild gewählt.",
        "Nach der Vorschau abtasten.",
        "Es ist nicht möglich, mehr als 1 zu wählen.",
        "Wollen Sie die Kassette auswerfen?",
        "Bestätigung.",
        "Fefler",
    },
};

}  // namespace lx9

#pragma once
// The settings' warnings, as the user must read them: the store's four registry errors, and the
// one of values changed by hand.

namespace testing {

inline constexpr const char* kReadError =
    "Ooops ! Erreur de lecture au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
inline constexpr const char* kWriteError =
    "Ooops ! Erreur d'écriture au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
inline constexpr const char* kScrambledReadError =
    "Ooops ! Problème d'enregistrement au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";
inline constexpr const char* kScrambledWriteError =
    "Ooops ! Erreur d'enregistrement au cours de l'utilisation de votre\r\n"
    "base de registre ! Merci de contacter le concepteur du logiciel.";

inline constexpr const char* kTampered =
    "Ooops ! La configuration de NocTuro semble avoir été modifiée\r\nmanuellement ! Veuillez vérifier ses "
    "paramètres...";

}  // namespace testing

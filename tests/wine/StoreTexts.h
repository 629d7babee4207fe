#pragma once
// The settings store's four registry error messages, as the user must read them.

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

}  // namespace testing

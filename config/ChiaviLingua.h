#pragma once
// Language-table keys that the windows build at run time from a prefix and an index. Every family
// is listed here once, so that the table can be checked to hold each key the program can ask for.
#include <string>
#include <vector>

struct TFamigliaChiavi {
    const char* Prefisso;
    int Primo, Ultimo; // indices, both included
    int Cifre;         // the index padded with zeros to this many digits (0 = as it is)
    const char* Suffisso;
};

// Contact-ID table rows ("STREVC_CID00".."STREVC_CID18").
inline constexpr TFamigliaChiavi ChiaviEventiCid{"STREVC_CID", 0, 18, 2, ""};
// Voice-message grid titles ("STRMSG_MSGNUM000".."STRMSG_MSGNUM004").
inline constexpr TFamigliaChiavi ChiaviMessaggiVocali{"STRMSG_MSGNUM", 0, 4, 3, ""};
// Telephone-number enable boxes ("STRMAIN_ABILNUMTELSMS1".."8").
inline constexpr TFamigliaChiavi ChiaviAbilNumTelSms{"STRMAIN_ABILNUMTELSMS", 1, 8, 0, ""};
// Supervision period choices ("STRMAIN_TEMPO0SPV".."STRMAIN_TEMPO5SPV").
inline constexpr TFamigliaChiavi ChiaviTempoSupervisione{"STRMAIN_TEMPO", 0, 5, 0, "SPV"};

inline constexpr TFamigliaChiavi FamiglieChiavi[] = {ChiaviEventiCid, ChiaviMessaggiVocali, ChiaviAbilNumTelSms,
                                                     ChiaviTempoSupervisione};

// The key of one member of a family.
std::string ChiaveDiFamiglia(const TFamigliaChiavi& Famiglia, int Indice);

#!/usr/bin/env python3
"""Generates data/operatorigsm.csv, the GSM operator list of the manual operator choice.

Source: Debian's mobile-broadband-provider-info package (serviceproviders.xml), which gives for each
country its providers with their MCC and MNC. The panel stores a five-character code (three-digit
MCC, two-digit MNC), so networks with a three-digit MNC are left out.

Rules:
- A provider is listed with the first five-character network it names (its main network).
- Providers of one country that share that network (a network operator and the virtual operators
  on it) form one line, their names joined by " / ": a code then names exactly one item, so the
  item shown for a stored code is the one that was chosen.
- Lines are sorted by country, then by name. The program reads at most 500 operators; should the
  source ever give more, Europe (MCC 2xx) comes first, then the Americas, Africa, Oceania, Asia.
- Output: name;country;code, CR LF line ends, Windows-1252. Characters Windows-1252 lacks lose
  their accents or become '?'; ';' (the separator) becomes ','.

Usage: tools/make_operatorigsm.py [serviceproviders.xml] [output.csv]
"""
import sys
import unicodedata
import xml.etree.ElementTree as ET

SOURCE = "/usr/share/mobile-broadband-provider-info/serviceproviders.xml"
OUTPUT = "data/operatorigsm.csv"
MAX_LINES = 500
REGION_ORDER = "2376541"  # first digit of the MCC, in order of preference


def clean(text):
    text = " ".join((text or "").split()).replace(";", ",")
    out = []
    for ch in text:
        try:
            ch.encode("cp1252")
            out.append(ch)
        except UnicodeEncodeError:
            base = unicodedata.normalize("NFKD", ch).encode("cp1252", "ignore").decode("cp1252")
            out.append(base if base else "?")
    return "".join(out)


def collect(path):
    first_code = {}  # (country, provider) -> code, in source order
    for country in ET.parse(path).getroot().findall("country"):
        country_name = clean(country.findtext("name") or country.get("code", "").upper())
        for provider in country.findall("provider"):
            name = clean(provider.findtext("name"))
            if not name or not country_name:
                continue
            for gsm in provider.findall("gsm"):
                for nid in gsm.findall("network-id"):
                    code = (nid.get("mcc") or "") + (nid.get("mnc") or "")
                    if len(code) == 5 and code.isdigit():
                        first_code.setdefault((country_name, name), code)
    lines = {}  # (country, code) -> names
    for (country_name, name), code in first_code.items():
        names = lines.setdefault((country_name, code), [])
        if name not in names:
            names.append(name)
    return [(" / ".join(names), country_name, code) for (country_name, code), names in lines.items()]


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else SOURCE
    output = sys.argv[2] if len(sys.argv) > 2 else OUTPUT
    rows = collect(source)
    if len(rows) > MAX_LINES:
        rows.sort(key=lambda r: (REGION_ORDER.find(r[2][0]), r[1].lower(), r[0].lower()))
        rows = rows[:MAX_LINES]
    rows.sort(key=lambda r: (r[1].lower(), r[0].lower(), r[2]))
    with open(output, "wb") as f:
        for name, country_name, code in rows:
            f.write(f"{name};{country_name};{code}\r\n".encode("cp1252"))
    print(f"{output}: {len(rows)} operators")


if __name__ == "__main__":
    main()

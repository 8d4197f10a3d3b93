#!/usr/bin/env python3
"""Writes data/gamedata/objects.tsv, the table of standard objects that the build packs into the
program's own ParserData/*.mpq, from the game's English 1.27.1 tables and texts.

    tools/make-builtin-table.py [UNITS_DIR [OUTPUT]]

UNITS_DIR holds the game's "Units" files under lower-case names (unitdata.slk,
humanunitstrings.txt, ...); default: ../shared/corpus/w3x2lni/enUS-1.27.1/Units beside the
checkout. Run by hand when the table is to be made again; the build reads only the table.

Which objects are kept (the "melee" objects of the four races and the neutrals):
  - units, heroes and buildings: the rows of UnitData.slk that UnitUI.slk does not mark as
    campaign objects (campaign = 0) and whose sort code the catalogue places (first character
    a, b, c, d, n, o, p or z; second 1, 2 or 3): the races' own objects, their summons and
    morphs, the tavern heroes, creeps, critters and the neutral buildings of melee maps;
  - upgrades: the rows of UpgradeData.slk of the four playable races (the others are the naga,
    demon and glyph upgrades of the campaigns);
  - items: the rows of ItemData.slk that are not of the class "Campaign" and that the game's
    random item choice may pick (pickRandom = 1), that have an item level, or that a kept
    building sells or makes (Sellitems, Makeitems of the unit texts);
  - abilities: those that a kept unit, hero or building lists in UnitAbilities.slk (abilList,
    heroAbilList) or that a kept item lists in ItemData.slk (abilList).

Per object the table keeps only: the id, what the catalogue needs to place it (the sort code of
the unit table for units, heroes and buildings; "ability", "upgrade" or "item" otherwise), the
English name as the game's reader gets it (the first "Name" in the order in which the standard
data is read, values as they stand in the texts), and for heroes their hero skills
(heroAbilList).
"""

import os
import sys

# The profile texts in the order the standard data read takes them: a name found
# earlier wins.
TEXT_ORDER = [
    "CampaignAbilityFunc", "CampaignAbilityStrings", "CampaignUnitFunc", "CampaignUnitStrings",
    "CommandStrings", "CommonAbilityFunc", "CommonAbilityStrings", "HumanAbilityFunc",
    "HumanAbilityStrings", "HumanUnitFunc", "HumanUnitStrings", "HumanUpgradeFunc",
    "HumanUpgradeStrings", "ItemAbilityFunc", "ItemAbilityStrings", "ItemFunc", "ItemStrings",
    "NeutralAbilityFunc", "NeutralAbilityStrings", "NeutralUnitFunc", "NeutralUnitStrings",
    "NightElfAbilityFunc", "NightElfAbilityStrings", "NightElfUnitFunc", "NightElfUnitStrings",
    "OrcAbilityFunc", "OrcAbilityStrings", "OrcUnitFunc", "OrcUnitStrings", "OrcUpgradeFunc",
    "UndeadAbilityFunc", "UndeadAbilityStrings", "UndeadUnitFunc", "UndeadUnitStrings",
    "UndeadUpgradeFunc",
    "NeutralUpgradestrings", "OrcUpgradeStrings", "NightElfUpgradeStrings",
    "UndeadUpgradeStrings",
    "NightElfUpgradeFunc",
    "NeutralUpgradeFunc",
]

PLAYABLE_RACES = {"human", "orc", "nightelf", "undead"}

HEADER = """\
# Standard objects of Warcraft III (melee: the four races and the neutrals), English names.
# The build packs this table into the program's ParserData/war3*.mpq (tools/archives).
# Made from the game's 1.27.1 tables by tools/make-builtin-table.py; see there which objects.
# Tab-separated, one object per line after the title line; columns:
#   id      the four-character object id
#   class   units, heroes, buildings: the unit table's sort code (first character the race:
#           a human, b orc, c night elf, d undead, n o p z neutral; second 1 hero, 2 unit,
#           3 building); otherwise the table: ability, upgrade or item
#   name    the English name as the game's texts give it (upgrades: one per level, by commas)
#   skills  heroes: their hero skills, ids separated by commas; empty otherwise
"""


def read_slk(path):
    """The rows of an SLK table as dictionaries by column title (row 1 holds the titles)."""
    cells = {}
    x = y = 0
    with open(path, "rb") as f:
        for raw in f.read().split(b"\n"):
            line = raw.decode("utf-8", "replace").rstrip("\r")
            fields = line.split(";")
            value = None
            for field in fields[1:]:
                if not field:
                    continue
                if field[0] == "X":
                    x = int(field[1:])
                elif field[0] == "Y":
                    y = int(field[1:])
                elif field[0] == "K" and fields[0] == "C":
                    value = field[1:].replace('"', "")
            if value is not None:
                cells.setdefault(y, {})[x] = value
    titles = cells.get(1, {})
    rows = []
    for row in sorted(cells):
        if row == 1:
            continue
        rows.append({titles.get(column, str(column)): v for column, v in cells[row].items()})
    return rows


def read_texts(folder):
    """(file, section, key, value) of every pair of the profile texts, in reading order."""
    pairs = []
    for name in TEXT_ORDER:
        path = os.path.join(folder, name.lower() + ".txt")
        if not os.path.exists(path):
            continue
        with open(path, "rb") as f:
            data = f.read()
        if data.startswith(b"\xef\xbb\xbf"):
            data = data[3:]
        section = None
        for raw in data.split(b"\n"):
            line = raw.decode("utf-8", "replace")
            if len(line) > 5 and line[0] == "[" and line[5] == "]":
                section = line[1:5]
                continue
            if "=" not in line or line.startswith("/"):
                continue
            key, value = line.split("=", 1)
            value = value.split("\x1f", 1)[0].rstrip("\r\n \x00")
            pairs.append((name, section, key, value))
    return pairs


def id_list(text):
    if not text or text in ("_", "-"):
        return []
    return [part.strip() for part in text.split(",") if part.strip()]


def placed(sort_code):
    """Whether the catalogue places a row of this sort code."""
    return len(sort_code) >= 2 and sort_code[0] in "abcdnopz" and sort_code[1] in "123"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.dirname(here)
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        root, "..", "shared", "corpus", "w3x2lni", "enUS-1.27.1", "Units")
    output = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        root, "data", "gamedata", "objects.tsv")

    units = read_slk(os.path.join(folder, "unitdata.slk"))
    unit_ui = {r.get("unitUIID"): r for r in read_slk(os.path.join(folder, "unitui.slk"))}
    unit_abilities = {
        r.get("unitAbilID"): r for r in read_slk(os.path.join(folder, "unitabilities.slk"))}
    abilities = read_slk(os.path.join(folder, "abilitydata.slk"))
    upgrades = read_slk(os.path.join(folder, "upgradedata.slk"))
    items = read_slk(os.path.join(folder, "itemdata.slk"))
    texts = read_texts(folder)

    # The first value of each key per section, as the reader keeps it.
    first = {}
    for _, section, key, value in texts:
        if section is not None:
            first.setdefault(section, {}).setdefault(key, value)

    rows = []  # (id, class, skills)
    kept_units = []
    for r in units:
        uid = r.get("unitID", "")[:4]
        sort_code = r.get("sort", "")
        if len(uid) < 4 or not placed(sort_code):
            continue
        if unit_ui.get(r.get("unitID"), {}).get("campaign") != "0":
            continue
        kept_units.append(uid)
        skills = ""
        if len(sort_code) == 2 and sort_code[1] == "1":
            skills = ",".join(id_list(unit_abilities.get(r.get("unitID"), {}).get("heroAbilList")))
        rows.append((uid, sort_code, skills))

    for r in upgrades:
        if r.get("race") in PLAYABLE_RACES:
            rows.append((r["upgradeid"][:4], "upgrade", ""))

    sold = set()
    for uid in kept_units:
        for key in ("Sellitems", "Makeitems"):
            sold.update(id_list(first.get(uid, {}).get(key)))
    kept_items = []
    for r in items:
        iid = r.get("itemID", "")[:4]
        if len(iid) < 4 or r.get("class") == "Campaign":
            continue
        level = r.get("Level", "0")
        if r.get("pickRandom") == "1" or level not in ("", "0", "-", "_") or iid in sold:
            kept_items.append(r)

    used = set()
    for uid in kept_units:
        r = unit_abilities.get(uid, {})
        used.update(id_list(r.get("abilList")))
        used.update(id_list(r.get("heroAbilList")))
    for r in kept_items:
        used.update(id_list(r.get("abilList")))
    for r in abilities:
        aid = r.get("alias", "")[:4]
        if len(aid) == 4 and aid in used:
            rows.append((aid, "ability", ""))
    for r in kept_items:
        rows.append((r["itemID"][:4], "item", ""))

    seen = set()
    with open(output, "w", encoding="utf-8", newline="\n") as out:
        out.write(HEADER)
        out.write("id\tclass\tname\tskills\n")
        for oid, kind, skills in rows:
            if oid in seen:
                continue
            seen.add(oid)
            name = first.get(oid, {}).get("Name", "")
            if "\t" in name or "\n" in name:
                raise SystemExit(f"{oid}: a name with a tab or line break")
            out.write(f"{oid}\t{kind}\t{name}\t{skills}\n")
    counts = {}
    for _, kind, _ in rows:
        if kind in ("ability", "upgrade", "item"):
            key = kind
        elif kind[1] == "1" and len(kind) == 2:
            key = "hero"
        else:
            key = {"1": "unit", "2": "unit", "3": "building"}[kind[1]]
        counts[key] = counts.get(key, 0) + 1
    print(f"{output}: {len(seen)} objects", counts)


if __name__ == "__main__":
    main()

#include "order_names.h"

namespace vantrel {

// Texts of the game's order numbers (0xD0000 plus the value). Some end in blanks: they belong to
// the text.
const char* OrderName(uint16_t value) {
  switch (value) {
    case 0x0003:
      return "rightclick";
    case 0x0004:
      return "stop";
    case 0x0008:
      return "cancel (train, research)";
    case 0x000C:
      return "set rally point";
    case 0x000F:
      return "attack";
    case 0x0010:
      return "attack ground (e.g. Orc Catapult)";
    case 0x0012:
      return "move unit";
    case 0x0016:
      return "patrol";
    case 0x0019:
      return "hold position";
    case 0x0021:
      return "give away item (from inventory to unit or ground)";
    case 0x0022:
      return "swap item place 7 (slot of item to swap with!)";
    case 0x0023:
      return "swap item place 8 ";
    case 0x0024:
      return "swap item place 4  ";
    case 0x0025:
      return "swap item place 5 ";
    case 0x0026:
      return "swap item place 1 ";
    case 0x0027:
      return "swap item place 2 ";
    case 0x0028:
      return "use item place 7";
    case 0x0029:
      return "use item place 8";
    case 0x002A:
      return "use item place 4 ";
    case 0x002B:
      return "use item place 5";
    case 0x002C:
      return "use item place 1";
    case 0x002D:
      return "use item place 2";
    case 0x0031:
      return "return resources ";
    case 0x0032:
      return "mine resources";
    case 0x0037:
      return "use ability: reveal area (N goblin laboratory)";
    case 0x0038:
      return "use ability: repair (HU peasant, Orc peon)";
    case 0x0039:
      return "enable autocast: repair (HU peasant, Orc peon)";
    case 0x003A:
      return "disable autocast: repair (HU peasant, Orc peon)";
    case 0x003B:
      return "revive hero (first  of 1 or more dead heros)";
    case 0x003C:
      return "revive hero (second of 2 or more dead heros)";
    case 0x003D:
      return "revive hero (third  of 3 or more dead heros)";
    case 0x003E:
      return "revive hero (fourth of 4 or more dead heros)";
    case 0x003F:
      return "revive hero (fifth  of 5 dead heros)";
    case 0x0048:
      return "use ability: kaboom (Goblin sapper)";
    case 0x0049:
      return "enable autocast: kaboom (Goblin sapper)";
    case 0x004A:
      return "disable autocast: kaboom (Goblin sapper)";
    case 0x004E:
      return "load unit (NE mine/Zepellin)";
    case 0x004F:
      return "remove single unit (click unit) (NE mine/Zepellin)";
    case 0x0050:
      return "unload all units (NE mine/Zepellin)";
    case 0x0051:
      return "all wisp exit mine (button) (NE gold mine)";
    case 0x0053:
      return "enable autocast: load corpses (UD: meat wagon)";
    case 0x0054:
      return "disable autocast: load corpses (UD: meat wagon)";
    case 0x0055:
      return "use ability: load corpses (UD: meat wagon)";
    case 0x0056:
      return "use ability: unload corpses (UD: meat wagon)";
    case 0x0057:
      return "use ability: enable defend (HU footman)";
    case 0x0058:
      return "use ability: disable defend (HU footman)";
    case 0x0059:
      return "use ability: area dispell (Hu priest)";
    case 0x005C:
      return "use ability: flare (Hu Mortar team)";
    case 0x005F:
      return "use ability: heal (Hu priest)";
    case 0x0060:
      return "enable autocast heal (Hu priest)";
    case 0x0061:
      return "disable autocast heal (Hu priest)";
    case 0x0062:
      return "use ability: inner fire (Hu priest)";
    case 0x0063:
      return "enable autocast inner fire (Hu priest)";
    case 0x0064:
      return "disable autocast inner fire (Hu priest)";
    case 0x0065:
      return "use ability: invisibility (Hu sorcress)";
    case 0x0068:
      return "use ability: call to arms (Hu peasant)";
    case 0x0069:
      return "use ability: return to work (Hu militia)";
    case 0x006A:
      return "use ability: polymorph (Hu sorcress)";
    case 0x006B:
      return "use ability: slow (Hu sorcress)";
    case 0x006C:
      return "enable autocast slow (Hu sorcress)";
    case 0x006D:
      return "disable autocast slow (Hu sorcress)";
    case 0x0072:
      return "call to arms (Hu townhall)";
    case 0x0073:
      return "return to work (Hu townhall)";
    case 0x0076:
      return "use ability: avatar (Hu Mountain King ultimate)";
    case 0x0079:
      return "use ability: blizzard (Hu Archmage)";
    case 0x007A:
      return "use ability: divine shield (Hu Paladin)";
    case 0x007C:
      return "use ability: holy light (Hu Paladin)";
    case 0x007D:
      return "use ability: mass teleportation  (Hu Archmage)";
    case 0x007E:
      return "use ability: revive (Hu Paladin ultimate)";
    case 0x007F:
      return "use ability: storm bolt (Hu Mountain King)";
    case 0x0100:
      return "use ability: Inferno (UD Dreadlord ultimate)";
    case 0x0101:
      return "use ability: frost armor (UD Lich)";
    case 0x0102:
      return "use ability: frost nova (UD Lich)";
    case 0x0103:
      return "use ability: sleep (UD Dreadlord)";
    case 0x0104:
      return "use ability: dark conversion (N Malganis)";
    case 0x0105:
      return "use ability: Dark portal (N Archimonde)";
    case 0x0106:
      return "use ability: Finger of death (N Archimonde)";
    case 0x0107:
      return "use ability: Firebolt (N Warlock)";
    case 0x010E:
      return "use ability: Rain of Fire  ";
    case 0x0112:
      return "use ability: soul preservation (N Malganis)";
    case 0x0113:
      return "use ability: cold arrows (N Sylvana)";
    case 0x0114:
      return "enable autocast: cold arrows (N Sylvana)";
    case 0x0115:
      return "disable autocast: cold arrows (N Sylvana)";
    case 0x0116:
      return "use ability: animate dead (N Satyr Hellcaller)";
    case 0x0117:
      return "use ability: devour (N Storm Wyrm)";
    case 0x0118:
      return "use ability: heal (N Troll Shadowpriest)";
    case 0x0119:
      return "enable autocast: heal (N Troll Shadowpriest)";
    case 0x011A:
      return "disable autocast: heal (N Troll Shadowpriest)";
    case 0x011C:
      return "use ability: creep storm bolt (N Stone Golem)";
    case 0x011D:
      return "use ability: creep thunder clap (N Granit Golem)";
    case 0x0200:
      return "Aerial Shackles (HU dragonhawk rider)";
    case 0x0204:
      return "enable autocast: Spell Steal (HU spell breaker)";
    case 0x0205:
      return "disable autocast: Spell Steal (HU spell breaker)";
    case 0x0206:
      return "Banish (HU blood mage)";
    case 0x0207:
      return "Siphon Mana (HU blood mage / Dark Ranger)";
    case 0x0208:
      return "Flame Strike (HU blood mage)";
    case 0x0209:
      return "Phoenix (HU blood mage ultimate)";
    case 0x020A:
      return "Ancestral Spirit (Orc spirit walker)";
    case 0x020D:
      return "transform to Corporeal Form (Orc spirit walker)";
    case 0x020E:
      return "transform to Ethereal Form (Orc spirit walker)";
    case 0x0213:
      return "spirit link (Orc spirit walker)";
    case 0x0214:
      return "Unstable Concoction (Orc troll batrider)";
    case 0x0215:
      return "Healing Wave (Orc shadow hunter)";
    case 0x0216:
      return "Hex (Orc shadow hunter)";
    case 0x0217:
      return "Big Bad Voodoo (Orc shadow hunter ultimate)";
    case 0x0218:
      return "Serpent Ward (Orc shadow hunter)";
    case 0x021C:
      return "build Hippogryph Rider (NE archer / hippogryph)";
    case 0x021D:
      return "separate Archer (NE hippograph raider)";
    case 0x021F:
      return "War Club (NE mountain giant)";
    case 0x0220:
      return "Mana Flare (NE faerie dragon)";
    case 0x0221:
      return "Mana Flare (NE faerie dragon)";
    case 0x0222:
      return "Phase Shift (NE faerie dragon)";
    case 0x0223:
      return "enable autocast: Phase Shift (NE faerie dragon)";
    case 0x0224:
      return "disable autocast: Phase Shift (NE faerie dragon)";
    case 0x0228:
      return "Taunt (NE mountain giant)";
    case 0x022A:
      return "enable autocast: Spirit of Vengeance (NE vengeance ultimate)";
    case 0x022B:
      return "disable autocast: Spirit of Vengeance (NE vengeance ultimate)";
    case 0x022C:
      return "Spirit of Vengeance (NE vengeance ultimate)";
    case 0x022D:
      return "Blink (NE warden)";
    case 0x022E:
      return "Fan of Knives (NE warden)";
    case 0x022F:
      return "Shadow Strike (NE warden)";
    case 0x0230:
      return "Vengeance (NE warden ultimate)";
    case 0x0231:
      return "Absorb Mana (UD destroyer)";
    case 0x0233:
      return "morph to Destroyer (UD obsidian statue)";
    case 0x0235:
      return "Burrow (UD crypt fiend / carrion beetle)";
    case 0x0236:
      return "Unburrow (UD crypt fiend / carrion beetle)";
    case 0x0238:
      return "Devour Magic (UD destroyer)";
    case 0x023B:
      return "Orb of Annihilation (UD destroyer)";
    case 0x023C:
      return "enable autocast: Orb of Annihilation (UD destroyer)";
    case 0x023D:
      return "disable autocast: Orb of Annihilation (UD destroyer)";
    case 0x0241:
      return "Essence of Blight (UD obsidian statue)";
    case 0x0242:
      return "enable autocast: Essence of Blight (UD obsidian statue)";
    case 0x0243:
      return "disable autocast: Essence of Blight (UD obsidian statue)";
    case 0x0244:
      return "Spirit Touch (UD obsidian statue)";
    case 0x0245:
      return "enable autocast: Spirit Touch (UD obsidian statue)";
    case 0x0246:
      return "disable autocast: Spirit Touch (UD obsidian statue)";
    case 0x0248:
      return "enable autocast: Carrion Beetles (UD crypt lord)";
    case 0x0249:
      return "disable autocast: Carrion Beetles (UD crypt lord)";
    case 0x024A:
      return "Carrion Beetle (UD crypt lord)";
    case 0x024B:
      return "Impale (UD crypt lord)";
    case 0x024C:
      return "Locust Swarm (UD crypt lord ultimate)";
    case 0x0251:
      return "Frenzy (beastmasters quilbeast)";
    case 0x0252:
      return "enable autocast: Frenzy (beastmasters quilbeast)";
    case 0x0253:
      return "disable autocast: Frenzy (beastmasters quilbeast)";
    case 0x0256:
      return "Change Shop Buyer";
    case 0x0261:
      return "Black Arrow (Hero: Dark Ranger)";
    case 0x0262:
      return "enable autocast: Black Arrow (Hero: Dark Ranger)";
    case 0x0263:
      return "disable autocast: Black Arrow (Hero: Dark Ranger)";
    case 0x0264:
      return "Breath of Fire (Hero: Pandaren Brewmaster)";
    case 0x0265:
      return "Charm (Hero: Dark Ranger ultimate)";
    case 0x0267:
      return "Doom (Hero: Pit Lord ultimate)";
    case 0x0269:
      return "Drunken Haze (Hero: Pandaren Brewmaster)";
    case 0x026A:
      return "Storm, Earth and Fire (Hero: Pandaren ultimate)";
    case 0x026B:
      return "Forked Lightning (Hero: Naga Sea Witch)";
    case 0x026C:
      return "Howl of Terror (Hero: Pit Lord)";
    case 0x026D:
      return "Mana Shield (Hero: Naga Sea Witch)";
    case 0x026E:
      return "Mana Shield (Hero: Naga Sea Witch)";
    case 0x0270:
      return "Silence (Hero: Dark Ranger)";
    case 0x0271:
      return "Stampede (Hero: Beastmaster ultimate)";
    case 0x0272:
      return "Summon Bear (Hero: Beastmaster)";
    case 0x0273:
      return "Summon Quilbeast (Hero: Beastmaster)";
    case 0x0274:
      return "Summon Hawk (Hero: Beastmaster)";
    case 0x0275:
      return "Tornado (Hero: Naga Sea Witch ultimate)";
    case 0x0276:
      return "Summon Prawn (N Makrura Snapper)";
    default:
      return nullptr;
  }
}

}  // namespace vantrel

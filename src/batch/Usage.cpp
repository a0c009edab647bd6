#include "BatchCommands.h"

QString usageText()
{
    return QStringLiteral(
        "Usage: tavelo-batch COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  info CARD.tvl [--screen-dpi N]\n"
        "      Read the card as the Open command does and print it as one JSON object.\n"
        "      --screen-dpi N   pixels per inch the card was laid out at (default 96)\n"
        "\n"
        "  print CARD.tvl -o OUT [--copies N] [--dpi D] [--screen-dpi S]\n"
        "        [--page-size NAME] [--margin-left MM] [--margin-top MM] [--guides on|off]\n"
        "      Print the card sheet (eight cards a page) to OUT.pdf, or to PNG files\n"
        "      OUT-1.png, OUT-2.png, ... when OUT ends in .png.\n"
        "      --copies N        pages, one sheet each (default 1, at most 10000)\n"
        "      --dpi D           dots per inch of the output (default 600)\n"
        "      --screen-dpi S    pixels per inch the card was laid out at (default 96)\n"
        "      --page-size NAME  A4 (default), A3, B5 (ISO), \"JIS B5\", Letter, Legal, ...\n"
        "      --margin-left MM, --margin-top MM, --guides on|off\n"
        "                        instead of the card's print settings, for this job\n"
        "\n"
        "  --help   this text\n"
        "\n"
        "Exit status: 0 clean, 1 the card showed messages (listed on stderr or in\n"
        "\"messages\"), 2 wrong command line, 3 the output could not be written.\n");
}

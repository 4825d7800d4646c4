#include "bv3/bash_completion.h"

#include <iostream>
#include <sstream>
#include <vector>

namespace bv3::cli {

namespace {

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

std::vector<std::string> optionNames(const CLI::Option& option) {
    std::vector<std::string> names;
    for (const auto& name : option.get_snames()) {
        names.push_back("-" + name);
    }
    for (const auto& name : option.get_lnames()) {
        names.push_back("--" + name);
    }
    return names;
}

// A validator such as IsMember describes its set as "{good,fast,auto}" in the type name;
// that set is what the option's value completes to.
std::vector<std::string> fixedValues(const CLI::Option& option) {
    const std::string type = option.get_type_name();
    const auto open = type.find('{');
    const auto close = type.find('}', open);
    std::vector<std::string> values;
    if (open == std::string::npos || close == std::string::npos) {
        return values;
    }
    std::stringstream list(type.substr(open + 1, close - open - 1));
    for (std::string value; std::getline(list, value, ',');) {
        if (!value.empty()) {
            values.push_back(value);
        }
    }
    return values;
}

bool visible(const CLI::Option& option) { return !option.get_group().empty(); }

// The words offered at one level: the named options, and the subcommands below it.
std::string wordsOf(const CLI::App& command) {
    std::vector<std::string> words;
    for (const CLI::Option* option : command.get_options()) {
        if (visible(*option)) {
            const auto names = optionNames(*option);
            words.insert(words.end(), names.begin(), names.end());
        }
    }
    for (const CLI::App* sub : command.get_subcommands({})) {
        words.push_back(sub->get_name());
    }
    return joined(words);
}

// One "case" arm per option that takes a value: a fixed set completes to its members,
// anything else to file names (paths, devices) in the script's default branch.
void writeValueArms(std::ostream& out, const std::string& command, const CLI::App& app) {
    for (const CLI::Option* option : app.get_options()) {
        if (!visible(*option) || option->get_type_size() == 0 || option->get_lnames().empty()) {
            continue;
        }
        const auto values = fixedValues(*option);
        for (const auto& name : optionNames(*option)) {
            out << "        '" << command << ' ' << name << "')\n";
            if (values.empty()) {
                out << "            COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n";
            } else {
                out << "            COMPREPLY=($(compgen -W '" << joined(values) << "' -- \"$cur\")); return ;;\n";
            }
        }
    }
}

}  // namespace

std::string bashCompletionScript(const CLI::App& app, const std::string& name) {
    const std::string function = "_" + name + "_complete";
    std::vector<std::string> commands;
    for (const CLI::App* sub : app.get_subcommands({})) {
        commands.push_back(sub->get_name());
    }
    std::ostringstream out;
    out << "# bash completion for " << name << ", written by `" << name << " --completion bash`.\n"
        << function << "() {\n"
        << "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]} command='' i\n"
        << "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
        << "        case ${COMP_WORDS[i]} in\n";
    if (!commands.empty()) {
        std::string pattern;
        for (const auto& command : commands) {
            pattern += (pattern.empty() ? "" : "|") + command;
        }
        out << "            " << pattern << ") command=${COMP_WORDS[i]}; break ;;\n";
    }
    out << "        esac\n"
        << "    done\n"
        << "    case \"$command $prev\" in\n";
    writeValueArms(out, "", app);
    for (const CLI::App* sub : app.get_subcommands({})) {
        writeValueArms(out, sub->get_name(), *sub);
    }
    out << "    esac\n"
        << "    local words\n"
        << "    case $command in\n"
        << "        '') words='" << wordsOf(app) << "' ;;\n";
    for (const CLI::App* sub : app.get_subcommands({})) {
        out << "        " << sub->get_name() << ") words='" << wordsOf(*sub) << "' ;;\n";
    }
    out << "    esac\n"
        << "    if [[ -z $command || $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
        << "    else\n"
        << "        COMPREPLY=($(compgen -f -- \"$cur\"))\n"
        << "    fi\n"
        << "}\n"
        << "complete -o filenames -o bashdefault -F " << function << ' ' << name << '\n';
    return out.str();
}

void addCompletionOption(CLI::App& app) {
    app.add_option_function<std::string>(
           "--completion",
           [&app](const std::string& shell) {
               if (shell != "bash") {
                   throw CLI::ValidationError("--completion", "only bash is supported, not '" + shell + "'");
               }
               std::cout << bashCompletionScript(app, app.get_name());
               throw CLI::Success();
           },
           "print the shell completion script and exit")
        ->group("");
}

}  // namespace bv3::cli

#include "request.h"

namespace rirador {

const char* const UsageText =
    "usage: rirador -flashsupport -d IMAGE OUTFILE      write a discovery report\n"
    "       rirador -flashsupport -u IMAGE REPORTFILE   update the adapters a report lists\n"
    "       rirador -flashsupport -i NAME -a IMAGE      flash one adapter";

namespace {

ParsedRequest refuse(std::string problem) { return {std::nullopt, std::move(problem)}; }

std::string countProblem(const std::string& option, std::size_t got, std::size_t wanted, const char* form) {
    return option + " takes exactly " + std::to_string(wanted) + " arguments (" + form + "), got " +
           std::to_string(got) + "; a name with blanks must be quoted, and an empty image name is missing";
}

}  // namespace

ParsedRequest parseRequest(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments[0] != "-flashsupport")
        return refuse("the command line must begin with -flashsupport");
    if (arguments.size() < 2) return refuse("-flashsupport needs one of -d, -u or -i");

    const std::string& option = arguments[1];
    std::size_t operands = arguments.size() - 2;
    Request request;
    if (option == "-d" || option == "-u") {
        if (operands != 2) return refuse(countProblem(option, operands, 2, "IMAGE and a file name"));
        request.operation = option == "-d" ? Operation::Discover : Operation::Update;
        request.image = arguments[2];
        request.file = arguments[3];
        return {request, {}};
    }
    if (option == "-i") {
        if (operands != 3) return refuse(countProblem(option, operands, 3, "NAME -a IMAGE"));
        if (arguments[3] != "-a") return refuse("-i NAME must be followed by -a IMAGE, not by " + arguments[3]);
        request.operation = Operation::Flash;
        request.adapterName = arguments[2];
        request.image = arguments[4];
        return {request, {}};
    }
    return refuse("unknown option " + option + " (expected -d, -u or -i)");
}

}  // namespace rirador

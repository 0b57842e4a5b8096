// Calls on the mail sender and the two mails of the program. The sender's one
// connection lives in the driver process, so it carries over from one request
// to the next as it does from one event to the next in the program.

#include "mail/ChangeNotice.h"
#include "mail/VerificationMail.h"
#include "platform/MailSender.h"
#include "tools/driver/CallTable.h"
#include "tools/driver/RecordedBoxes.h"

namespace navoket::driver {
namespace {

const CallRegistrar mailCalls{
    {"connectMailServer",
     {required("server", ArgType::text), required("port", ArgType::integer),
      required("user", ArgType::text), required("password", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = connectMailServer(args.text("server"), args.integer32("port"),
                                          args.text("user"), args.text("password"));
     }},
    {"sendMail",
     {required("subject", ArgType::text), required("body", ArgType::text),
      required("recipient", ArgType::text), required("sender", ArgType::text)},
     [](const CallArgs& args, CallReply& reply) {
         reply.result = sendMail(args.text("subject"), args.text("body"), args.text("recipient"),
                                 args.text("sender"));
     }},
    {"sendVerificationMail",
     {required("server", ArgType::text), required("user", ArgType::text),
      required("password", ArgType::text), required("recipient", ArgType::text),
      optional("boxes", ArgType::list)},
     [](const CallArgs& args, CallReply& reply) {
         const std::size_t mark = recordedBoxCount();
         sendVerificationMail(args.text("server"), args.text("user"), args.text("password"),
                              args.text("recipient"));
         reply.output(args, "boxes", recordedBoxesSince(mark));
     }},
    {"sendChangeNotice", {rootArg()}, [](const CallArgs&, CallReply&) { sendChangeNotice(); }},
};

}  // namespace
}  // namespace navoket::driver
